#include "return_key_filter.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QPlainTextEdit>

ReturnKeyFilter::ReturnKeyFilter(QAbstractButton* defaultButton, QObject* parent)
    : QObject(parent), defaultButton_(defaultButton) {}

void ReturnKeyFilter::pressDefault() const {
    if (defaultButton_->isEnabled()) {
        defaultButton_->click();
    }
}

bool ReturnKeyFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return false;
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) {
        return false;
    }
    // The keypad's Enter carries the keypad flag; it counts as Return.
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    auto* box = qobject_cast<QPlainTextEdit*>(watched);
    if (box == nullptr) {
        // As a dialog does: only an unmodified Enter presses the default button. Either way the
        // key stops here, so that no theme presses the focused button or opens the list.
        if (modifiers == Qt::NoModifier) {
            pressDefault();
        }
        return true;
    }
    if (modifiers & Qt::ControlModifier) {
        box->insertPlainText(QStringLiteral("\n"));
        return true;
    }
    if (modifiers & Qt::AltModifier) {
        return false;
    }
    pressDefault();
    return true;
}
