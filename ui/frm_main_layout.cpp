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
#include <frm_main_controls.h>
#include <initializer_list>
#include <string_view>
#include <utility>

namespace {

using orvani::window::ControlEntry;

// Pixels at 96 pixels per inch; Qt scales them for other displays.
constexpr int Px(int twips) {
    return orvani::window::Pixels(twips, 96);
}

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The control named, placed, captioned and tipped as the layout table says.
template <typename Control>
Control* Place(Control* control, const ControlEntry& entry) {
    control->setObjectName(FromUtf8(entry.name));
    control->setGeometry(Px(entry.left), Px(entry.top), Px(entry.width), Px(entry.height));
    if (!entry.toolTip.empty()) {
        control->setToolTip(FromUtf8(entry.toolTip));
    }
    return control;
}

QFont BoxFont() {
    QFont font(FromUtf8(orvani::window::kTextFontFamily));
    font.setPointSizeF(orvani::window::kTextFontPoints);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}

QPlainTextEdit* TextBox(QWidget* parent) {
    auto* box = new QPlainTextEdit(parent);
    box->setFont(BoxFont());
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    box->setTabChangesFocus(true);
    return box;
}

QComboBox* List(QWidget* parent, QStyle* style, const QStringList& items) {
    auto* list = new QComboBox(parent);
    list->setStyle(style);
    list->addItems(items);
    list->setCurrentIndex(-1);
    return list;
}

// The core's standards in its order, captioned with their display names; each item carries
// its Standard, so that the window never reads a standard from a caption.
QComboBox* StandardList(QWidget* parent, QStyle* style) {
    QStringList captions;
    for (const orvani::Standard standard : orvani::kStandards) {
        const std::string_view name = orvani::DisplayName(standard);
        captions.append(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
    }
    QComboBox* list = List(parent, style, captions);
    for (int i = 0; i < list->count(); ++i) {
        list->setItemData(i, QVariant::fromValue(orvani::kStandards[static_cast<std::size_t>(i)]));
    }
    return list;
}

QPushButton* PictureButton(QWidget* parent, const QString& picture) {
    auto* button = new QPushButton(parent);
    // The picture's grey ground is the classic button face; let the real face show through.
    QPixmap pixmap(picture);
    pixmap.setMask(pixmap.createMaskFromColor(QColor(192, 192, 192)));
    button->setIcon(QIcon(pixmap));
    button->setIconSize(QSize(32, 32));
    return button;
}

QWidget* Line(QWidget* parent, const ControlEntry& entry) {
    auto* line = new QWidget(parent);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, QColor::fromRgb(entry.colour));
    line->setPalette(palette);
    line->setAutoFillBackground(true);
    return line;
}

} // namespace

void frmMain::createControls() {
    setWindowTitle(FromUtf8(orvani::window::kTitle));
    QIcon icon;
    icon.addFile(QStringLiteral(":/pictures/orvani-16.xpm"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/pictures/orvani-32.xpm"), QSize(32, 32));
    setWindowIcon(icon);
    setFont(BoxFont());
    setFixedSize(Px(orvani::window::kClientWidth), Px(orvani::window::kClientHeight));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

    // On the application's own style, also one set in code; null leaves it to Qt's default.
    auto* listStyle = new CompactComboStyle(QStyleFactory::create(QApplication::style()->name()));
    listStyle->setParent(this);

    using orvani::window::Control;
    txtL = Place(TextBox(this), Control("txtL"));
    txtR = Place(TextBox(this), Control("txtR"));
    cmdConv =
        Place(new QPushButton(FromUtf8(Control("cmdConv").caption), this), Control("cmdConv"));
    Label1 = Place(new QLabel(FromUtf8(Control("Label1").caption), this), Control("Label1"));
    comL = Place(StandardList(this, listStyle), Control("comL"));
    Label2 = Place(new QLabel(FromUtf8(Control("Label2").caption), this), Control("Label2"));
    comR = Place(StandardList(this, listStyle), Control("comR"));
    Label3 = Place(new QLabel(FromUtf8(Control("Label3").caption), this), Control("Label3"));
    comType =
        Place(List(this, listStyle, FromUtf8(Control("comType").caption).split(QLatin1Char('\n'))),
              Control("comType"));
    lblOpt = Place(new QLabel(FromUtf8(Control("lblOpt").caption), this), Control("lblOpt"));
    chkOU = Place(new QCheckBox(FromUtf8(Control("chkOU").caption), this), Control("chkOU"));
    chkA = Place(new QCheckBox(FromUtf8(Control("chkA").caption), this), Control("chkA"));
    cmdPaste =
        Place(PictureButton(this, QStringLiteral(":/pictures/paste.xpm")), Control("cmdPaste"));
    cmdCopy = Place(PictureButton(this, QStringLiteral(":/pictures/copy.xpm")), Control("cmdCopy"));
    Line1 = Place(Line(this, Control("Line1")), Control("Line1"));
    Line2 = Place(Line(this, Control("Line2")), Control("Line2"));
    Label5 = Place(new QLabel(FromUtf8(Control("Label5").caption), this), Control("Label5"));
    Label4 = Place(new QLabel(FromUtf8(Control("Label4").caption), this), Control("Label4"));

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
