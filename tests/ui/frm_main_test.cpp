#include "expected_conversions.h"
#include "frm_main.h"

#include <orvani/pipeline.h>

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOptionComboBox>
#include <QTest>

#include <memory>
#include <utility>

class FrmMainTest : public QObject {
    Q_OBJECT

private:
    template <typename T>
    static T* control(const QWidget& window, const char* name) {
        auto* found = window.findChild<T*>(QString::fromLatin1(name));
        if (found == nullptr) {
            qFatal("no control %s", name);
        }
        return found;
    }
    static void pick(const QWidget& window, const QString& left, const QString& right) {
        control<QComboBox>(window, "comL")->setCurrentText(left);
        control<QComboBox>(window, "comR")->setCurrentText(right);
    }
    static QString accessible(QWidget* widget, QAccessible::Text text) {
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
        return face == nullptr ? QStringLiteral("(none)") : face->text(text);
    }
    static void showActive(QWidget& window) {
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }

private slots:
    void layout_data();
    void layout();
    void startState();
    void captionsFitTheirControls();
    void accessibleNames_data();
    void accessibleNames();
    void listsAreLabelled();
    void checkBoxesNamedByTheirCaptions();
    void opensCentred();
    void centredPosition_data();
    void centredPosition();
    void optionPanel_data();
    void optionPanel();
    void optionKeepsItsValueWhileHidden();
    void convertDisabledForEqualStandards();
    void convert_data();
    void convert();
    void convertKeepsEveryCharacter();
    void convertIsOneUndoableEdit();
    void returnKey_data();
    void returnKey();
    void platformThemeInUse();
    void returnOnAnyControlPressesConvert_data();
    void returnOnAnyControlPressesConvert();
    void altCPressesConvertFromAnyControl();
    void tabOrder();
    void documentTypeOutOfReach();
    void escapeKeepsTheWindowOpen();
    void copy();
    void paste_data();
    void paste();
    void pasteIsOneUndoableEdit();
    void largeTextSurvivesPasteAndConvert();
};

void FrmMainTest::layout_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("pixels");
    QTest::addColumn<QString>("toolTip");
    const auto row = [](const char* name, int left, int top, int width, int height,
                        const char* toolTip) {
        QTest::newRow(name) << QString::fromLatin1(name)
                            << QRect(left / 15, top / 15, width / 15, height / 15)
                            << QString::fromUtf8(toolTip);
    };
    row("chkA", 4080, 3720, 1215, 255,
        "Disable this option to prevent \"a\" from becoming \"æ\"/\"I\".");
    row("chkOU", 4080, 3480, 1215, 255, "Choose if you want \"h\"s with o and u.");
    row("cmdCopy", 4680, 5160, 615, 495, "Copy right window to the clipboard.");
    row("cmdPaste", 4080, 5160, 615, 495, "Paste clipboard to left window.");
    row("comType", 4080, 2640, 1215, 315, "");
    row("comR", 4080, 1800, 1215, 315, "Select the standard to be used for the output.");
    row("comL", 4080, 1200, 1215, 315, "Select the standard of the text to the left.");
    row("cmdConv", 4080, 120, 1215, 615, "Convert text.");
    row("txtR", 5400, 120, 3855, 5535, "Output text - use STRG-ENTER for breaking lines.");
    row("txtL", 120, 120, 3855, 5535, "Input text - use STRG-ENTER for breaking lines.");
    row("lblOpt", 4080, 3240, 1215, 255, "");
    row("Label5", 120, 5880, 4215, 255, "");
    row("Label4", 6600, 5880, 2640, 195, "");
    row("Label3", 4080, 2400, 1215, 255, "");
    row("Label2", 4080, 1560, 1215, 255, "");
    row("Label1", 4080, 960, 1215, 255, "");
}

void FrmMainTest::layout() {
    QFETCH(QString, name);
    QFETCH(QRect, pixels);
    QFETCH(QString, toolTip);
    frmMain window;
    auto* widget = window.findChild<QWidget*>(name);
    QVERIFY(widget != nullptr);
    QCOMPARE(widget->geometry(), pixels);
    QCOMPARE(widget->toolTip(), toolTip);
}

void FrmMainTest::startState() {
    frmMain window;
    QCOMPARE(window.windowTitle(), QStringLiteral("Orvani Converter"));
    QCOMPARE(window.size(), QSize(623, 411));
    QCOMPARE(window.minimumSize(), window.maximumSize());
    QVERIFY(
        !(window.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QVERIFY(!window.windowIcon().isNull());

    QCOMPARE(control<QComboBox>(window, "comL")->currentText(), QStringLiteral("Old"));
    QCOMPARE(control<QComboBox>(window, "comR")->currentText(), QStringLiteral("New"));
    auto* comType = control<QComboBox>(window, "comType");
    QCOMPARE(comType->currentText(), QStringLiteral("Plain"));
    QVERIFY(!comType->isEnabled());
    const QStringList standards{"Old", "New", "Orvani Script"};
    for (const char* name : {"comL", "comR"}) {
        auto* list = control<QComboBox>(window, name);
        QVERIFY(!list->isEditable());
        QCOMPARE(list->count(), 3);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(list->itemText(i), standards[i]);
        }
    }
    QCOMPARE(comType->itemText(1), QStringLiteral("HTML"));

    auto* cmdConv = control<QPushButton>(window, "cmdConv");
    QVERIFY(cmdConv->isEnabled());
    QVERIFY(cmdConv->isDefault());
    QCOMPARE(cmdConv->text(), QStringLiteral("&Convert ->"));
    QVERIFY(!control<QLabel>(window, "lblOpt")->isHidden());
    auto* chkOU = control<QCheckBox>(window, "chkOU");
    auto* chkA = control<QCheckBox>(window, "chkA");
    QVERIFY(!chkOU->isHidden() && !chkA->isHidden());
    QCOMPARE(chkOU->text(), QStringLiteral("oh/uh -> o/u"));
    QCOMPARE(chkA->text(), QStringLiteral("ah/a -> a/æ"));
    QVERIFY(chkA->isChecked());
    QVERIFY(!chkOU->isChecked());
    QVERIFY(control<QPlainTextEdit>(window, "txtL")->toPlainText().isEmpty());
    QVERIFY(control<QPlainTextEdit>(window, "txtR")->toPlainText().isEmpty());

    for (const char* name : {"txtL", "txtR"}) {
        auto* box = control<QPlainTextEdit>(window, name);
        QCOMPARE(box->font().family(), QStringLiteral("Arial"));
        QCOMPARE(box->font().pointSizeF(), 8.25);
        QCOMPARE(box->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(box->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QCOMPARE(box->lineWrapMode(), QPlainTextEdit::WidgetWidth);
        QVERIFY(!box->isReadOnly());
    }
    for (const char* name : {"cmdCopy", "cmdPaste"}) {
        auto* button = control<QPushButton>(window, name);
        QVERIFY(button->text().isEmpty());
        QVERIFY(!button->icon().isNull());
    }
}

void FrmMainTest::captionsFitTheirControls() {
    frmMain window;
    const auto fits = [](const QWidget* widget, const QString& text, int room) {
        const int needed = widget->fontMetrics().horizontalAdvance(text);
        if (needed > room) {
            qWarning() << widget->objectName() << text << "needs" << needed << "of" << room;
        }
        return needed <= room;
    };
    for (const char* name : {"Label1", "Label2", "Label3", "Label4", "Label5", "lblOpt"}) {
        const auto* label = control<QLabel>(window, name);
        QVERIFY(fits(label, label->text(), label->width()));
    }
    for (const char* name : {"chkOU", "chkA"}) {
        const auto* box = control<QCheckBox>(window, name);
        const int indicator = box->style()->pixelMetric(QStyle::PM_IndicatorWidth) +
                              box->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing);
        for (const char* caption : {"oh/uh -> o/u", "o/u -> oh/uh", "ah/a -> a/æ", "ah/a -> a/I"}) {
            QVERIFY(fits(box, QString::fromUtf8(caption), box->width() - indicator));
        }
    }
    for (const char* name : {"comL", "comR", "comType"}) {
        const auto* list = control<QComboBox>(window, name);
        QStyleOptionComboBox option;
        option.initFrom(list);
        const int room =
            list->style()
                ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, list)
                .width();
        for (int i = 0; i < list->count(); ++i) {
            QVERIFY(fits(list, list->itemText(i), room));
        }
    }
}

void FrmMainTest::accessibleNames_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description");
    const auto row = [](const char* control, const char* name, const char* description) {
        QTest::newRow(control) << QString::fromLatin1(control) << QString::fromUtf8(name)
                               << QString::fromUtf8(description);
    };
    row("txtL", "Text to convert",
        "Type or paste the text here. Enter converts it; Ctrl+Enter breaks the line.");
    row("txtR", "Converted text", "The converted text appears here. Ctrl+Enter breaks the line.");
    row("cmdConv", "Convert", "Convert text.");
    row("comL", "Left Standard", "Select the standard of the text to the left.");
    row("comR", "Right Standard", "Select the standard to be used for the output.");
    row("comType", "Document Type", "The kind of document the text is read as.");
    row("chkOU", "oh/uh -> o/u", "Choose if you want \"h\"s with o and u.");
    row("chkA", "ah/a -> a/æ", "Disable this option to prevent \"a\" from becoming \"æ\"/\"I\".");
    row("cmdPaste", "Paste clipboard to left window",
        "Replaces the text to convert with the text on the clipboard.");
    row("cmdCopy", "Copy right window to the clipboard",
        "Puts the converted text on the clipboard.");
}

void FrmMainTest::accessibleNames() {
    QFETCH(QString, control);
    QFETCH(QString, name);
    QFETCH(QString, description);
    frmMain window;
    auto* widget = FrmMainTest::control<QWidget>(window, control.toLatin1().constData());
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    QVERIFY(face != nullptr);
    QCOMPARE(face->text(QAccessible::Description), description);
    if (qobject_cast<QComboBox*>(widget) == nullptr) {
        QCOMPARE(face->text(QAccessible::Name), name);
        return;
    }
    // A list is named by its label. On Unix Qt gives a list's current item as its name and
    // tells its label through the Label relation, as AT-SPI expects; elsewhere the name is set.
    QStringList labels;
    for (const auto& [other, relation] : face->relations(QAccessible::Label)) {
        labels << other->text(QAccessible::Name);
    }
    QCOMPARE(labels, QStringList{name});
    QCOMPARE(widget->accessibleName(), name);
#ifdef Q_OS_UNIX
    QCOMPARE(face->text(QAccessible::Name), qobject_cast<QComboBox*>(widget)->currentText());
#else
    QCOMPARE(face->text(QAccessible::Name), name);
#endif
}

void FrmMainTest::listsAreLabelled() {
    frmMain window;
    for (const auto& [label, list] : {std::pair{"Label1", "comL"}, std::pair{"Label2", "comR"},
                                      std::pair{"Label3", "comType"}}) {
        QCOMPARE(control<QLabel>(window, label)->buddy(), control<QWidget>(window, list));
    }
}

void FrmMainTest::checkBoxesNamedByTheirCaptions() {
    frmMain window;
    pick(window, "Old", "Orvani Script");
    QCOMPARE(accessible(control<QWidget>(window, "chkA"), QAccessible::Name),
             QStringLiteral("ah/a -> a/I"));
    pick(window, "Orvani Script", "Old");
    QCOMPARE(accessible(control<QWidget>(window, "chkOU"), QAccessible::Name),
             QStringLiteral("o/u -> oh/uh"));
}

void FrmMainTest::opensCentred() {
    // The test screen is 1000 x 700 pixels (see the configuration file beside this test); the
    // window's frame, where the screen has one, is centred on it.
    frmMain window;
    showActive(window);
    QCOMPARE(window.screen()->availableGeometry(), QRect(0, 0, 1000, 700));
    const QSize frame = window.frameGeometry().size();
    QCOMPARE(frame == window.size(), qEnvironmentVariableIsEmpty("ORVANI_TEST_FRAMED"));
    QTRY_COMPARE(window.frameGeometry().topLeft(),
                 QPoint((1000 - frame.width()) / 2, (700 - frame.height()) / 2));
}

void FrmMainTest::centredPosition_data() {
    QTest::addColumn<QRect>("area");
    QTest::addColumn<QPoint>("expected");
    QTest::newRow("large") << QRect(0, 0, 1923, 1011) << QPoint(650, 300);
    QTest::newRow("offset") << QRect(100, 40, 823, 511) << QPoint(200, 90);
    QTest::newRow("exact fit") << QRect(0, 0, 623, 411) << QPoint(0, 0);
    QTest::newRow("too low") << QRect(10, 30, 1000, 300) << QPoint(198, 30);
    QTest::newRow("too narrow") << QRect(0, 0, 400, 800) << QPoint(0, 194);
    QTest::newRow("too small") << QRect(5, 25, 320, 240) << QPoint(5, 25);
}

void FrmMainTest::centredPosition() {
    QFETCH(QRect, area);
    QFETCH(QPoint, expected);
    QCOMPARE(frmMain::CentredPosition(area, QSize(623, 411)), expected);
}

void FrmMainTest::optionPanel_data() {
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("right");
    QTest::addColumn<bool>("panelShown");
    QTest::addColumn<bool>("aShown");
    QTest::addColumn<QString>("ohUhCaption");
    QTest::addColumn<QString>("aCaption");
    // Each row starts from ("New", "Old"), which sets the oh/uh caption to "o/u -> oh/uh".
    QTest::newRow("Old-New") << "Old"
                             << "New" << true << true << "oh/uh -> o/u"
                             << "ah/a -> a/æ";
    QTest::newRow("New-Old") << "New"
                             << "Old" << true << false << "o/u -> oh/uh"
                             << "ah/a -> a/æ";
    QTest::newRow("Old-Script") << "Old"
                                << "Orvani Script" << true << true << "oh/uh -> o/u"
                                << "ah/a -> a/I";
    QTest::newRow("Script-Old") << "Orvani Script"
                                << "Old" << true << false << "o/u -> oh/uh"
                                << "ah/a -> a/æ";
    QTest::newRow("New-Script") << "New"
                                << "Orvani Script" << false << false << "o/u -> oh/uh"
                                << "ah/a -> a/æ";
    QTest::newRow("Script-New") << "Orvani Script"
                                << "New" << false << false << "o/u -> oh/uh"
                                << "ah/a -> a/æ";
    QTest::newRow("Old-Old") << "Old"
                             << "Old" << false << false << "o/u -> oh/uh"
                             << "ah/a -> a/æ";
    QTest::newRow("New-New") << "New"
                             << "New" << false << false << "o/u -> oh/uh"
                             << "ah/a -> a/æ";
    QTest::newRow("Script-Script") << "Orvani Script"
                                   << "Orvani Script" << false << false << "o/u -> oh/uh"
                                   << "ah/a -> a/æ";
}

void FrmMainTest::optionPanel() {
    QFETCH(QString, left);
    QFETCH(QString, right);
    QFETCH(bool, panelShown);
    QFETCH(bool, aShown);
    QFETCH(QString, ohUhCaption);
    QFETCH(QString, aCaption);
    frmMain window;
    pick(window, "New", "Old");
    pick(window, left, right);
    QCOMPARE(!control<QLabel>(window, "lblOpt")->isHidden(), panelShown);
    QCOMPARE(!control<QCheckBox>(window, "chkOU")->isHidden(), panelShown);
    QCOMPARE(!control<QCheckBox>(window, "chkA")->isHidden(), aShown);
    QCOMPARE(control<QCheckBox>(window, "chkOU")->text(), ohUhCaption);
    QCOMPARE(control<QCheckBox>(window, "chkA")->text(), aCaption);
    QCOMPARE(control<QPushButton>(window, "cmdConv")->isEnabled(), left != right);
}

void FrmMainTest::optionKeepsItsValueWhileHidden() {
    frmMain window;
    auto* chkA = control<QCheckBox>(window, "chkA");
    chkA->setChecked(false);
    pick(window, "New", "Orvani Script");
    QVERIFY(chkA->isHidden());
    pick(window, "Old", "New");
    QVERIFY(!chkA->isHidden());
    QVERIFY(!chkA->isChecked());
}

void FrmMainTest::convertDisabledForEqualStandards() {
    frmMain window;
    auto* comR = control<QComboBox>(window, "comR");
    auto* cmdConv = control<QPushButton>(window, "cmdConv");
    for (const QString standard : {"Old", "New", "Orvani Script"}) {
        pick(window, standard, standard);
        QVERIFY(!cmdConv->isEnabled());
        comR->setCurrentText(standard == "New" ? "Old" : "New");
        QVERIFY(cmdConv->isEnabled());
    }
}

// The table that every front end is held to, but for the pairs of one standard, which the
// window does not convert, and line ends other than the box's own.
void FrmMainTest::convert_data() {
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("right");
    QTest::addColumn<bool>("a");
    QTest::addColumn<bool>("ohUh");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("output");
    for (const orvani::testing::ExpectedConversion& row : orvani::testing::ExpectedConversions()) {
        if (row.source == row.target || row.text.find('\r') != std::string::npos) {
            continue;
        }
        QTest::newRow(orvani::testing::Describe(row).c_str())
            << QString::fromUtf8(orvani::DisplayName(row.source))
            << QString::fromUtf8(orvani::DisplayName(row.target)) << row.options.a
            << row.options.ohUh << QString::fromStdString(row.text)
            << QString::fromStdString(row.expected);
    }
}

void FrmMainTest::convert() {
    QFETCH(QString, left);
    QFETCH(QString, right);
    QFETCH(bool, a);
    QFETCH(bool, ohUh);
    QFETCH(QString, input);
    QFETCH(QString, output);
    frmMain window;
    pick(window, left, right);
    control<QCheckBox>(window, "chkA")->setChecked(a);
    control<QCheckBox>(window, "chkOU")->setChecked(ohUh);
    control<QPlainTextEdit>(window, "txtL")->setPlainText(input);
    control<QPlainTextEdit>(window, "txtR")->setPlainText("stale");
    control<QPushButton>(window, "cmdConv")->click();
    QCOMPARE(control<QPlainTextEdit>(window, "txtR")->toPlainText(), output);
}

void FrmMainTest::convertKeepsEveryCharacter() {
    frmMain window;
    pick(window, "New", "Old");
    auto* txtR = control<QPlainTextEdit>(window, "txtR");
    control<QPlainTextEdit>(window, "txtL")->setPlainText(QString::fromUtf8("a\u00A0b\tÿ😀"));
    control<QPushButton>(window, "cmdConv")->click();
    QCOMPARE(txtR->document()->toRawText(), QString::fromUtf8("ah\u00A0b\tÿ😀"));
}

void FrmMainTest::convertIsOneUndoableEdit() {
    frmMain window;
    auto* txtR = control<QPlainTextEdit>(window, "txtR");
    txtR->setPlainText("before");
    control<QPlainTextEdit>(window, "txtL")->setPlainText("dhath");
    control<QPushButton>(window, "cmdConv")->click();
    QCOMPARE(txtR->toPlainText(), QStringLiteral("ðæþ"));
    QCOMPARE(txtR->textCursor().position(), 0);
    txtR->undo();
    QCOMPARE(txtR->toPlainText(), QStringLiteral("before"));
    txtR->redo();
    QCOMPARE(txtR->toPlainText(), QStringLiteral("ðæþ"));
}

void FrmMainTest::returnKey_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("converts");
    QTest::addColumn<QString>("boxText");
    for (const QString box : {"txtL", "txtR"}) {
        const QString typed = box == "txtL" ? "sh" : "";
        const QByteArray name = box.toLatin1();
        QTest::newRow(name + " Return")
            << box << int(Qt::Key_Return) << int(Qt::NoModifier) << true << typed;
        QTest::newRow(name + " keypad Enter")
            << box << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << true << typed;
        QTest::newRow(name + " Ctrl+Return")
            << box << int(Qt::Key_Return) << int(Qt::ControlModifier) << false << typed + "\n";
        QTest::newRow(name + " Ctrl+keypad Enter")
            << box << int(Qt::Key_Enter) << int(Qt::ControlModifier | Qt::KeypadModifier) << false
            << typed + "\n";
    }
}

void FrmMainTest::returnKey() {
    QFETCH(QString, box);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, converts);
    QFETCH(QString, boxText);
    frmMain window;
    auto* txtL = control<QPlainTextEdit>(window, "txtL");
    auto* txtR = control<QPlainTextEdit>(window, "txtR");
    txtL->setPlainText("sh");
    auto* target = box == "txtL" ? txtL : txtR;
    target->moveCursor(QTextCursor::End);
    QSignalSpy clicked(control<QPushButton>(window, "cmdConv"), &QPushButton::clicked);
    QTest::keyClick(target, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(clicked.count(), converts ? 1 : 0);
    if (converts) {
        QCOMPARE(txtR->toPlainText(), QStringLiteral("š"));
        QCOMPARE(txtL->toPlainText(), QStringLiteral("sh"));
    } else {
        QCOMPARE(target->toPlainText(), boxText);
    }
}

void FrmMainTest::platformThemeInUse() {
    // The run under a theme plugin checks that the plugin did load, not Qt's fallback.
    const QString theme = qEnvironmentVariable("QT_QPA_PLATFORMTHEME");
    if (theme != QLatin1String("gtk3")) {
        QSKIP("no theme plugin asked for");
    }
    QFile maps(QStringLiteral("/proc/self/maps"));
    QVERIFY(maps.open(QIODevice::ReadOnly));
    QVERIFY(maps.readAll().contains("/platformthemes/libqgtk3.so"));
}

void FrmMainTest::returnOnAnyControlPressesConvert_data() {
    QTest::addColumn<QString>("style");
    for (const QString& style : QStyleFactory::keys()) {
        QTest::newRow(style.toLatin1()) << style;
    }
}

void FrmMainTest::returnOnAnyControlPressesConvert() {
    QFETCH(QString, style);
    const QString previousStyle = QApplication::style()->name();
    QVERIFY(QApplication::setStyle(style) != nullptr);
    const auto restore = qScopeGuard([&] { QApplication::setStyle(previousStyle); });
    QClipboard* clipboard = QApplication::clipboard();
    clipboard->setText("on the clipboard");
    frmMain window;
    showActive(window);
    auto* txtL = control<QPlainTextEdit>(window, "txtL");
    auto* txtR = control<QPlainTextEdit>(window, "txtR");
    auto* chkOU = control<QCheckBox>(window, "chkOU");
    auto* chkA = control<QCheckBox>(window, "chkA");
    txtL->setPlainText("dh");
    for (const char* name : {"cmdConv", "comL", "comR", "chkOU", "chkA", "cmdPaste", "cmdCopy"}) {
        auto* widget = control<QWidget>(window, name);
        widget->setFocus();
        txtR->clear();
        QTest::keyClick(widget, Qt::Key_Return);
        QTRY_COMPARE(txtR->toPlainText(), QStringLiteral("ð"));
        // Enter pressed nothing else: no list opened, no option changed, no picture button.
        for (const char* list : {"comL", "comR"}) {
            QVERIFY2(!control<QComboBox>(window, list)->view()->isVisible(), list);
        }
        QVERIFY(!chkOU->isChecked());
        QVERIFY(chkA->isChecked());
        QCOMPARE(txtL->toPlainText(), QStringLiteral("dh"));
        QCOMPARE(clipboard->text(), QStringLiteral("on the clipboard"));
    }
}

void FrmMainTest::altCPressesConvertFromAnyControl() {
    frmMain window;
    showActive(window);
    control<QPlainTextEdit>(window, "txtL")->setPlainText("kh");
    for (const char* name :
         {"txtL", "txtR", "cmdConv", "comL", "comR", "chkOU", "chkA", "cmdPaste", "cmdCopy"}) {
        auto* widget = control<QWidget>(window, name);
        widget->setFocus();
        control<QPlainTextEdit>(window, "txtR")->clear();
        QTest::keyClick(widget, Qt::Key_C, Qt::AltModifier);
        QTRY_COMPARE(control<QPlainTextEdit>(window, "txtR")->toPlainText(), QStringLiteral("x"));
    }
}

void FrmMainTest::tabOrder() {
    frmMain window;
    showActive(window);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("txtL"));
    QStringList visited;
    for (int i = 0; i < 9; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(visited, QStringList({"txtR", "cmdConv", "comL", "comR", "chkOU", "chkA", "cmdPaste",
                                   "cmdCopy", "txtL"}));
}

void FrmMainTest::documentTypeOutOfReach() {
    frmMain window;
    showActive(window);
    auto* comType = control<QComboBox>(window, "comType");
    QTest::mouseClick(comType, Qt::LeftButton);
    QTest::keyClick(comType, Qt::Key_Down);
    QCOMPARE(comType->currentIndex(), 0);
    QVERIFY(!comType->view()->isVisible());
    QVERIFY(!comType->hasFocus());
}

void FrmMainTest::escapeKeepsTheWindowOpen() {
    frmMain window;
    showActive(window);
    QTest::keyClick(control<QWidget>(window, "txtL"), Qt::Key_Escape);
    QVERIFY(window.isVisible());
}

void FrmMainTest::copy() {
    frmMain window;
    QClipboard* clipboard = QApplication::clipboard();
    clipboard->setText("kept");
    control<QPushButton>(window, "cmdCopy")->click();
    QCOMPARE(clipboard->text(), QStringLiteral("kept"));

    control<QPlainTextEdit>(window, "txtR")->setPlainText("šó\nþ");
    control<QPushButton>(window, "cmdCopy")->click();
    QCOMPARE(clipboard->text(), QStringLiteral("šó\nþ"));
}

void FrmMainTest::paste_data() {
    QTest::addColumn<QStringList>("formats");
    QTest::addColumn<QByteArrayList>("payloads"); // in hexadecimal, one for each format
    QTest::addColumn<QString>("expected");
    const auto row = [](const char* name, const QStringList& formats, const QByteArrayList& hex,
                        const QString& expected) {
        QByteArrayList payloads;
        for (const QByteArray& bytes : hex) {
            payloads << QByteArray::fromHex(bytes);
        }
        QTest::newRow(name) << formats << payloads << expected;
    };
    // The box holds "before" until something is pasted.
    row("picture", {"image/png"}, {"89504e47"}, "before");
    row("text", {"text/plain"}, {"7368 0a 6468"}, "sh\ndh");
    row("U+FEFF in text", {"text/plain"}, {"efbbbf efbbbf 7368"}, QStringLiteral("\ufeff\ufeffsh"));
    row("U+FEFF in UTF-8", {"text/plain;charset=utf-8"}, {"efbbbf efbbbf 7368"},
        QStringLiteral("\ufeff\ufeffsh"));
    row("UTF-16 byte order from its mark", {"text/plain;charset=utf-16"}, {"feff feff 0073 0068"},
        QStringLiteral("\ufeffsh"));
    row("UTF-16LE", {"text/plain;charset=utf-16le"}, {"7300 6800"}, "sh");
    row("UTF-8 preferred", {"text/plain;charset=utf-16le", "text/plain;charset=utf-8"},
        {"6f00 6c00 6400", "6e6577"}, "new");
    row("unknown charset", {"text/plain;charset=x-unknown"}, {"7368"}, "before");
    row("links", {"text/uri-list"}, {"66696c653a2f2f2f61 0d0a"}, "file:///a");
}

void FrmMainTest::paste() {
    QFETCH(QStringList, formats);
    QFETCH(QByteArrayList, payloads);
    QFETCH(QString, expected);
    frmMain window;
    auto* txtL = control<QPlainTextEdit>(window, "txtL");
    txtL->setPlainText("before");
    auto offered = std::make_unique<QMimeData>();
    for (qsizetype i = 0; i < formats.size(); ++i) {
        offered->setData(formats[i], payloads[i]);
    }
    QApplication::clipboard()->setMimeData(offered.release()); // the clipboard owns it now
    control<QPushButton>(window, "cmdPaste")->click();
    QCOMPARE(txtL->toPlainText(), expected);
}

void FrmMainTest::pasteIsOneUndoableEdit() {
    frmMain window;
    auto* txtL = control<QPlainTextEdit>(window, "txtL");
    QTest::keyClicks(txtL, "typed");
    QApplication::clipboard()->setText("pasted");
    control<QPushButton>(window, "cmdPaste")->click();
    QCOMPARE(txtL->toPlainText(), QStringLiteral("pasted"));
    txtL->undo();
    QCOMPARE(txtL->toPlainText(), QStringLiteral("typed"));
}

void FrmMainTest::largeTextSurvivesPasteAndConvert() {
    // About 20 MB of Old text in lines, with the characters a text box might trip over.
    const QString line = QString::fromUtf8(
        "Kheetsoy dhath, ohm uhr \u00A0\t\u2028Ash-sheets «\u0130h» \U0001F600 \u00FF \u00E9\n");
    QString text;
    text.reserve(20'000'000);
    while (text.size() < 20'000'000) {
        text += line;
    }
    frmMain window;
    QApplication::clipboard()->setText(text);
    control<QPushButton>(window, "cmdPaste")->click();
    control<QPushButton>(window, "cmdConv")->click();

    const std::u32string expected = orvani::ConvertText(
        text.toStdU32String(), orvani::Standard::Old, orvani::Standard::New, {});
    const QString shown = control<QPlainTextEdit>(window, "txtR")->document()->toRawText();
    QString asTyped = shown;
    asTyped.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    QVERIFY(asTyped == QString::fromStdU32String(expected));
}

QTEST_MAIN(FrmMainTest)
#include "frm_main_test.moc"
