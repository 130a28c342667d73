#include "return_key_filter.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QPlainTextEdit>

ReturnKeyFilter::ReturnKeyFilter(QAbstractButton* defaultButton, QObject* parent)
    : QObject(parent), defaultButton_(defaultButton) {}

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
    if (modifiers & Qt::ControlModifier) {
        if (auto* box = qobject_cast<QPlainTextEdit*>(watched)) {
            box->insertPlainText(QStringLiteral("\n"));
        }
        return true;
    }
    if (modifiers & Qt::AltModifier) {
        return false;
    }
    if (defaultButton_->isEnabled()) {
        defaultButton_->click();
    }
    return true;
}
