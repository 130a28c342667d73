#pragma once

#include <QObject>

class QAbstractButton;

// For the controls of a dialog: Return or Enter presses the dialog's default button from every
// control, whatever the platform theme or style makes of Enter on a focused button, check box or
// list (GNOME's and GTK's themes press the button or open the list). In a multi-line text box
// Ctrl+Return breaks the line instead.
class ReturnKeyFilter : public QObject {
    Q_OBJECT

public:
    ReturnKeyFilter(QAbstractButton* defaultButton, QObject* parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void pressDefault() const;

    QAbstractButton* defaultButton_;
};
