// The window's controls: kind, place and size in twips, texts, tool tips, accessible names and
// tab order.

#include "compact_combo_style.h"
#include "frm_main.h"
#include "return_key_filter.h"

#include <orvani/standard.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleFactory>
#include <QVariant>

#include <cstddef>
#include <initializer_list>
#include <string_view>
#include <utility>

namespace {

constexpr int kTwipsPerPixel = 15; // at 96 pixels per inch; Qt scales for other displays

constexpr int Px(int twips) {
    return twips / kTwipsPerPixel;
}

template <typename Control>
Control* Place(Control* control, const char* name, int left, int top, int width, int height) {
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(Px(left), Px(top), Px(width), Px(height));
    return control;
}

QFont BoxFont() {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(8.25);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}

QPlainTextEdit* TextBox(QWidget* parent, const QString& toolTip) {
    auto* box = new QPlainTextEdit(parent);
    box->setToolTip(toolTip);
    box->setFont(BoxFont());
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    box->setTabChangesFocus(true);
    return box;
}

QComboBox* List(QWidget* parent, QStyle* style, const QStringList& items, const QString& toolTip) {
    auto* list = new QComboBox(parent);
    list->setStyle(style);
    list->addItems(items);
    list->setCurrentIndex(-1);
    list->setToolTip(toolTip);
    return list;
}

// The core's standards in its order, captioned with their display names; each item carries
// its Standard, so that the window never reads a standard from a caption.
QComboBox* StandardList(QWidget* parent, QStyle* style, const QString& toolTip) {
    QStringList captions;
    for (const orvani::Standard standard : orvani::kStandards) {
        const std::string_view name = orvani::DisplayName(standard);
        captions.append(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
    }
    QComboBox* list = List(parent, style, captions, toolTip);
    for (int i = 0; i < list->count(); ++i) {
        list->setItemData(i, QVariant::fromValue(orvani::kStandards[static_cast<std::size_t>(i)]));
    }
    return list;
}

QPushButton* PictureButton(QWidget* parent, const QString& picture, const QString& toolTip) {
    auto* button = new QPushButton(parent);
    // The picture's grey ground is the classic button face; let the real face show through.
    QPixmap pixmap(picture);
    pixmap.setMask(pixmap.createMaskFromColor(QColor(192, 192, 192)));
    button->setIcon(QIcon(pixmap));
    button->setIconSize(QSize(32, 32));
    button->setToolTip(toolTip);
    return button;
}

QWidget* Line(QWidget* parent, const QColor& colour) {
    auto* line = new QWidget(parent);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, colour);
    line->setPalette(palette);
    line->setAutoFillBackground(true);
    return line;
}

} // namespace

void frmMain::createControls() {
    setWindowTitle(QStringLiteral("Orvani Converter"));
    QIcon icon;
    icon.addFile(QStringLiteral(":/pictures/orvani-16.xpm"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/pictures/orvani-32.xpm"), QSize(32, 32));
    setWindowIcon(icon);
    setFont(BoxFont());
    setFixedSize(Px(9345), Px(6165));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

    // On the application's own style, also one set in code; null leaves it to Qt's default.
    auto* listStyle = new CompactComboStyle(QStyleFactory::create(QApplication::style()->name()));
    listStyle->setParent(this);

    // clang-format off
    txtL = Place(TextBox(this, QStringLiteral("Input text - use STRG-ENTER for breaking lines.")),
                 "txtL", 120, 120, 3855, 5535);
    txtR = Place(TextBox(this, QStringLiteral("Output text - use STRG-ENTER for breaking lines.")),
                 "txtR", 5400, 120, 3855, 5535);
    cmdConv = Place(new QPushButton(QStringLiteral("&Convert ->"), this),
                    "cmdConv", 4080, 120, 1215, 615);
    Label1 = Place(new QLabel(QStringLiteral("Left Standard"), this),
                   "Label1", 4080, 960, 1215, 255);
    comL = Place(StandardList(this, listStyle, QStringLiteral("Select the standard of the text to the left.")),
                 "comL", 4080, 1200, 1215, 315);
    Label2 = Place(new QLabel(QStringLiteral("Right Standard"), this),
                   "Label2", 4080, 1560, 1215, 255);
    comR = Place(StandardList(this, listStyle, QStringLiteral("Select the standard to be used for the output.")),
                 "comR", 4080, 1800, 1215, 315);
    Label3 = Place(new QLabel(QStringLiteral("Document Type"), this),
                   "Label3", 4080, 2400, 1215, 255);
    comType = Place(List(this, listStyle, {QStringLiteral("Plain"), QStringLiteral("HTML")}, QString()),
                    "comType", 4080, 2640, 1215, 315);
    lblOpt = Place(new QLabel(QStringLiteral("Options:"), this),
                   "lblOpt", 4080, 3240, 1215, 255);
    chkOU = Place(new QCheckBox(QStringLiteral("oh/uh -> o/u"), this),
                  "chkOU", 4080, 3480, 1215, 255);
    chkA = Place(new QCheckBox(QStringLiteral("ah/a -> a/æ"), this),
                 "chkA", 4080, 3720, 1215, 255);
    cmdPaste = Place(PictureButton(this, QStringLiteral(":/pictures/paste.xpm"),
                                   QStringLiteral("Paste clipboard to left window.")),
                     "cmdPaste", 4080, 5160, 615, 495);
    cmdCopy = Place(PictureButton(this, QStringLiteral(":/pictures/copy.xpm"),
                                  QStringLiteral("Copy right window to the clipboard.")),
                    "cmdCopy", 4680, 5160, 615, 495);
    Line1 = Place(Line(this, QColor(128, 128, 128)), "Line1", 120, 5760, 9120, kTwipsPerPixel);
    Line2 = Place(Line(this, QColor(224, 224, 224)), "Line2", 120, 5775, 9120, kTwipsPerPixel);
    Label5 = Place(new QLabel(QStringLiteral("Orvani Converter 1.00 \u2013 https://orvani.example.org"), this),
                   "Label5", 120, 5880, 4215, 255);
    Label4 = Place(new QLabel(QStringLiteral("2026, info@orvani.example.org"), this),
                   "Label4", 6600, 5880, 2640, 195);
    // clang-format on

    chkA->setToolTip(
        QStringLiteral("Disable this option to prevent \"a\" from becoming \"æ\"/\"I\"."));
    chkOU->setToolTip(QStringLiteral("Choose if you want \"h\"s with o and u."));
    cmdConv->setToolTip(QStringLiteral("Convert text."));
    chkA->setChecked(true);
    chkOU->setChecked(false);
    comType->setEnabled(false);
    // Enter presses Convert from every control, the picture buttons included.
    cmdConv->setDefault(true);
    cmdPaste->setAutoDefault(false);
    cmdCopy->setAutoDefault(false);
    Label4->setAlignment(Qt::AlignRight | Qt::AlignTop);

    // Enter presses Convert from every control; Ctrl+Enter breaks the line in a text box. Convert
    // itself, the default button, answers Enter under every theme.
    auto* returnKey = new ReturnKeyFilter(cmdConv, this);
    for (QWidget* control : std::initializer_list<QWidget*>{txtL, txtR, comL, comR, comType, chkOU,
                                                            chkA, cmdPaste, cmdCopy}) {
        control->installEventFilter(returnKey);
    }

    describeControls();

    setTabOrder(txtL, txtR);
    setTabOrder(txtR, cmdConv);
    setTabOrder(cmdConv, comL);
    setTabOrder(comL, comR);
    setTabOrder(comR, comType);
    setTabOrder(comType, chkOU);
    setTabOrder(chkOU, chkA);
    setTabOrder(chkA, cmdPaste);
    setTabOrder(cmdPaste, cmdCopy);
    txtL->setFocus();
}

namespace {

// A label's text as heard: without the ampersand that marks its mnemonic.
QString WithoutMnemonic(const QString& text) {
    QString plain;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&') && i + 1 < text.size()) {
            ++i; // "&&" stands for one ampersand
        }
        plain += text[i];
    }
    return plain;
}

// The tool tip as a name: without its closing full stop.
QString AsName(const QString& toolTip) {
    return toolTip.endsWith(QLatin1Char('.')) ? toolTip.chopped(1) : toolTip;
}

} // namespace

void frmMain::describeControls() {
    // The lists are named by their labels, also tied to them as buddies: on Linux assistive
    // technology reads a list's label from that tie.
    for (const auto& [label, list] :
         {std::pair{Label1, comL}, std::pair{Label2, comR}, std::pair{Label3, comType}}) {
        label->setBuddy(list);
        list->setAccessibleName(WithoutMnemonic(label->text()));
    }
    comL->setAccessibleDescription(comL->toolTip());
    comR->setAccessibleDescription(comR->toolTip());
    comType->setAccessibleDescription(QStringLiteral("The kind of document the text is read as."));

    txtL->setAccessibleName(QStringLiteral("Text to convert"));
    txtL->setAccessibleDescription(QStringLiteral(
        "Type or paste the text here. Enter converts it; Ctrl+Enter breaks the line."));
    txtR->setAccessibleName(QStringLiteral("Converted text"));
    txtR->setAccessibleDescription(
        QStringLiteral("The converted text appears here. Ctrl+Enter breaks the line."));

    // The picture buttons have no caption: their tool tips name them.
    cmdPaste->setAccessibleName(AsName(cmdPaste->toolTip()));
    cmdPaste->setAccessibleDescription(
        QStringLiteral("Replaces the text to convert with the text on the clipboard."));
    cmdCopy->setAccessibleName(AsName(cmdCopy->toolTip()));
    cmdCopy->setAccessibleDescription(QStringLiteral("Puts the converted text on the clipboard."));

    // Convert is named by its caption without the arrow, which only points at the result.
    cmdConv->setAccessibleName(QStringLiteral("Convert"));
    cmdConv->setAccessibleDescription(cmdConv->toolTip());
    // The check boxes keep no fixed name: Qt names them by their captions, which change with
    // the standards.
    chkOU->setAccessibleDescription(chkOU->toolTip());
    chkA->setAccessibleDescription(chkA->toolTip());
}
