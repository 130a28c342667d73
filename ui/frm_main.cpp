// The window's behaviour: start-up, the standard lists, the option panel, Convert, Copy and
// Paste.

#include "frm_main.h"

#include <orvani/pipeline.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextDocument>

namespace {

// The box's text exactly as typed: QPlainTextEdit::toPlainText() would turn no-break spaces
// into plain ones.
QString TextOf(const QPlainTextEdit* box) {
    QString text = box->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}

std::optional<orvani::Standard> StandardOf(const QComboBox* list) {
    return orvani::StandardFromName(list->currentText().toStdString());
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
    const int left =
        area.width() < size.width() ? area.left() : area.left() + (area.width() - size.width()) / 2;
    const int top = area.height() < size.height()
                        ? area.top()
                        : area.top() + (area.height() - size.height()) / 2;
    return {left, top};
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
    struct Panel {
        const char* left;
        const char* right;
        const char* ohUhCaption;
        const char* aCaption; // null: chkA hidden
    };
    static const Panel kPanels[] = {
        {"Old", "New", "oh/uh -> o/u", "ah/a -> a/æ"},
        {"New", "Old", "o/u -> oh/uh", nullptr},
        {"Old", "Orvani Script", "oh/uh -> o/u", "ah/a -> a/I"},
        {"Orvani Script", "Old", "o/u -> oh/uh", nullptr},
    };
    for (const Panel& panel : kPanels) {
        if (comL->currentText() == QLatin1String(panel.left) &&
            comR->currentText() == QLatin1String(panel.right)) {
            lblOpt->show();
            chkOU->show();
            chkOU->setText(QString::fromUtf8(panel.ohUhCaption));
            chkA->setVisible(panel.aCaption != nullptr);
            if (panel.aCaption != nullptr) {
                chkA->setText(QString::fromUtf8(panel.aCaption));
            }
            return;
        }
    }
    lblOpt->hide();
    chkOU->hide();
    chkA->hide();
}

void frmMain::cmdConv_Click() {
    const std::u32string source = TextOf(txtL).toStdU32String();
    txtR->setPlainText(QString());
    const orvani::DocumentType type =
        orvani::DocumentTypeFromName(comType->currentText().toStdString());
    const orvani::ConversionOptions flags{.a = chkA->checkState() == Qt::Checked,
                                          .ohUh = chkOU->checkState() == Qt::Checked};
    const std::u32string result =
        orvani::ConvertText(source, StandardOf(comL), StandardOf(comR), type, flags);
    txtR->setPlainText(QString::fromStdU32String(result));
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
    const QClipboard* clipboard = QApplication::clipboard();
    const QMimeData* data = clipboard->mimeData();
    if (data != nullptr && data->hasText()) {
        txtL->setPlainText(clipboard->text());
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
