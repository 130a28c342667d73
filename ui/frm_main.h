#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QKeyEvent;
class QLabel;
class QMoveEvent;
class QPlainTextEdit;
class QPushButton;
class QShowEvent;
class QWidget;

// The one window of Orvani Converter: text in on the left, converted text out on the right,
// the standards and options in the column between.
class frmMain : public QDialog {
    Q_OBJECT

public:
    explicit frmMain(QWidget* parent = nullptr);

    // Where a window of `size` opens in a screen's free `area`: centred, but where the area is
    // smaller than the window, at the area's top or left edge so that the title bar stays in
    // reach.
    [[nodiscard]] static QPoint CentredPosition(const QRect& area, const QSize& size);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private slots:
    void Form_Load();
    void comL_Click();
    void comR_Click();
    void cmdConv_Click();
    void cmdCopy_Click();
    void cmdPaste_Click();

private:
    void createControls();
    void connectHandlers();
    void options();
    void describeControls();
    void centreByFrame();

    QPlainTextEdit* txtL = nullptr;
    QPlainTextEdit* txtR = nullptr;
    QPushButton* cmdConv = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* comL = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* comR = nullptr;
    QLabel* Label3 = nullptr;
    QComboBox* comType = nullptr;
    QLabel* lblOpt = nullptr;
    QCheckBox* chkOU = nullptr;
    QCheckBox* chkA = nullptr;
    QPushButton* cmdPaste = nullptr;
    QPushButton* cmdCopy = nullptr;
    QWidget* Line1 = nullptr;
    QWidget* Line2 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;

    // Whether the window still waits to be centred by its frame, which the window system only
    // tells once it has framed the shown window.
    bool awaitingFrame_ = true;
};
