// The window's behaviour: start-up, the standard lists, the option panel, Convert, Copy and
// Paste.

#include "frm_main.h"

#include <orvani/normalization.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QMoveEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStringDecoder>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QVariant>
#include <QWindow>

#include <frm_main_controls.h>
#include <option_panel.h>
#include <optional>
#include <utility>
#include <window_pipeline.h>

namespace {

// The box's text exactly as typed: QPlainTextEdit::toPlainText() would turn no-break spaces
// into plain ones.
QString TextOf(const QPlainTextEdit* box) {
    QString text = box->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}

// Puts `text` in the box as one edit that Ctrl+Z takes back: setPlainText() would empty the
// box's undo history. Like setPlainText(), it leaves the box's cursor and view at the start.
void ReplaceText(QPlainTextEdit* box, const QString& text) {
    QTextCursor cursor(box->document());
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.insertText(text, QTextCharFormat());
    cursor.endEditBlock();
    box->moveCursor(QTextCursor::Start);
}

// The standard the list's item carries; none while nothing is picked.
std::optional<orvani::Standard> StandardOf(const QComboBox* list) {
    const QVariant data = list->currentData();
    if (data.metaType() != QMetaType::fromType<orvani::Standard>()) {
        return std::nullopt;
    }
    return data.value<orvani::Standard>();
}

// The charset of a text/plain MIME type, UTF-8 where it names none (as Qt reads it); nullopt
// for any other type.
std::optional<QByteArray> PlainTextCharset(const QString& mimeType) {
    const QStringList parts = mimeType.split(QLatin1Char(';'));
    if (parts.front().trimmed().compare(QLatin1String("text/plain"), Qt::CaseInsensitive) != 0) {
        return std::nullopt;
    }
    for (const QString& part : parts.sliced(1)) {
        const QString name = part.section(QLatin1Char('='), 0, 0).trimmed();
        QString value = part.section(QLatin1Char('='), 1).trimmed();
        if (name.compare(QLatin1String("charset"), Qt::CaseInsensitive) == 0) {
            if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) &&
                value.endsWith(QLatin1Char('"'))) {
                value = value.sliced(1, value.size() - 2);
            }
            return value.toLatin1();
        }
    }
    return QByteArrayLiteral("UTF-8");
}

bool IsUtf8(const QByteArray& charset) {
    return QStringConverter::encodingForName(charset.constData()) == QStringConverter::Utf8;
}

// `bytes` in `charset` with every character kept. Only a byte-order mark at the start of
// UTF-16 or UTF-32 goes: under those names it is the encoding's own marker of the byte order.
QString Decode(const QByteArray& bytes, const QByteArray& charset) {
    const std::optional<QStringConverter::Encoding> encoding =
        QStringConverter::encodingForName(charset.constData());
    const bool bomMarksByteOrder =
        encoding == QStringConverter::Utf16 || encoding == QStringConverter::Utf32;
    QStringDecoder decoder(charset.constData(), bomMarksByteOrder
                                                    ? QStringConverter::Flag::Default
                                                    : QStringConverter::Flag::ConvertInitialBom);
    return decoder(bytes);
}

// The text on the clipboard with every character kept: Qt's own decoding drops a leading
// U+FEFF and reads UTF-8 only, so the bytes are decoded here. UTF-8 is taken first, then any
// other charset in the order offered; nullopt when nothing is offered as text.
std::optional<QString> ClipboardText(const QMimeData& data) {
    std::optional<std::pair<QString, QByteArray>> chosen; // MIME type and charset
    for (const QString& mimeType : data.formats()) {
        const std::optional<QByteArray> charset = PlainTextCharset(mimeType);
        if (charset && QStringDecoder(charset->constData()).isValid() &&
            (!chosen || (IsUtf8(*charset) && !IsUtf8(chosen->second)))) {
            chosen.emplace(mimeType, *charset);
        }
    }
    if (chosen) {
        return Decode(data.data(chosen->first), chosen->second);
    }
    // Links count as text too, written out by Qt.
    if (data.hasUrls()) {
        return data.text();
    }
    return std::nullopt;
}

} // namespace

frmMain::frmMain(QWidget* parent) : QDialog(parent) {
    createControls();
    connectHandlers();
    Form_Load();
}

void frmMain::connectHandlers() {
    // A pick from code raises the same event as a pick by the user.
    connect(comL, &QComboBox::currentIndexChanged, this, &frmMain::comL_Click);
    connect(comR, &QComboBox::currentIndexChanged, this, &frmMain::comR_Click);
    connect(cmdConv, &QPushButton::clicked, this, &frmMain::cmdConv_Click);
    connect(cmdCopy, &QPushButton::clicked, this, &frmMain::cmdCopy_Click);
    connect(cmdPaste, &QPushButton::clicked, this, &frmMain::cmdPaste_Click);
}

QPoint frmMain::CentredPosition(const QRect& area, const QSize& size) {
    return {orvani::window::CentredStart(area.left(), area.width(), size.width()),
            orvani::window::CentredStart(area.top(), area.height(), size.height())};
}

void frmMain::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Where the window system knows the frame before the window appears, it is centred by
    // its frame from the start.
    centreByFrame();
}

void frmMain::moveEvent(QMoveEvent* event) {
    QDialog::moveEvent(event);
    // An X11 window manager frames the window after it is shown, and moves it into the frame.
    centreByFrame();
}

void frmMain::centreByFrame() {
    const QWindow* window = windowHandle();
    if (!awaitingFrame_ || window == nullptr || !isVisible()) {
        return;
    }
    const QMargins frame = window->frameMargins();
    if (frame.isNull()) {
        return; // not framed yet, or never: then the first centring stands
    }
    awaitingFrame_ = false;
    move(CentredPosition(screen()->availableGeometry(), size().grownBy(frame)));
}

void frmMain::Form_Load() {
    move(CentredPosition(screen()->availableGeometry(), frameGeometry().size()));
    comL->setCurrentIndex(0);
    comR->setCurrentIndex(1);
    comType->setCurrentIndex(0);
}

void frmMain::comL_Click() {
    cmdConv->setEnabled(comR->currentIndex() != comL->currentIndex());
    options();
}

void frmMain::comR_Click() {
    comL_Click();
}

void frmMain::options() {
    const std::optional<orvani::window::OptionPanel> panel =
        orvani::window::OptionPanelFor(StandardOf(comL), StandardOf(comR));
    if (!panel) {
        lblOpt->hide();
        chkOU->hide();
        chkA->hide();
        return;
    }
    lblOpt->show();
    chkOU->show();
    chkOU->setText(QString::fromUtf8(panel->ohUhCaption.data(),
                                     static_cast<qsizetype>(panel->ohUhCaption.size())));
    chkA->setVisible(panel->aCaption.has_value());
    if (panel->aCaption) {
        chkA->setText(QString::fromUtf8(panel->aCaption->data(),
                                        static_cast<qsizetype>(panel->aCaption->size())));
    }
}

void frmMain::cmdConv_Click() {
    // Canonically equivalent texts, such as an accent typed on its own or with its letter,
    // convert alike.
    const std::u32string source = orvani::ToNfc(TextOf(txtL).toStdU32String());
    const orvani::DocumentType type =
        orvani::window::DocumentTypeFromName(comType->currentText().toStdString());
    const orvani::ConversionOptions flags{.a = chkA->checkState() == Qt::Checked,
                                          .ohUh = chkOU->checkState() == Qt::Checked};
    const std::u32string result =
        orvani::window::ConvertText(source, StandardOf(comL), StandardOf(comR), type, flags);
    ReplaceText(txtR, QString::fromStdU32String(result));
}

void frmMain::cmdCopy_Click() {
    if (TextOf(txtR).isEmpty()) {
        return;
    }
    QClipboard* clipboard = QApplication::clipboard();
    clipboard->clear();
    clipboard->setText(TextOf(txtR));
}

void frmMain::cmdPaste_Click() {
    const QMimeData* data = QApplication::clipboard()->mimeData();
    if (data == nullptr) {
        return;
    }
    if (const std::optional<QString> text = ClipboardText(*data)) {
        ReplaceText(txtL, *text);
    }
}

void frmMain::keyPressEvent(QKeyEvent* event) {
    // The window has no Cancel: Escape must not close it as it would close a dialog.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
