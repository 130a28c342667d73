#pragma once

#include <QObject>

class QAbstractButton;

// For multi-line text boxes in a dialog: Return or Enter presses the dialog's default button,
// as it does everywhere else in the window, and Ctrl+Return breaks the line instead.
class ReturnKeyFilter : public QObject {
    Q_OBJECT

public:
    ReturnKeyFilter(QAbstractButton* defaultButton, QObject* parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAbstractButton* defaultButton_;
};
