#pragma once

#include <QDialog>
#include <cstdint>

class QLabel;
class QPushButton;
class QTimer;

// Gives the user 30 seconds to cancel before the machine is switched off.
// Closes with Accepted on the tick after "Time left: 0", with Rejected on Cancel or Esc.
class TFormShutdown : public QDialog {
    Q_OBJECT
public:
    explicit TFormShutdown(QWidget* parent = nullptr);

    // One second of the countdown; the timer calls it, tests may call it directly.
    void TimerShutdownTimer();
    std::int32_t SecondsLeft() const { return counter_; }

    QLabel* LabelWarning;
    QLabel* LabelShutdownDescription;
    QLabel* LabelTimeOut;
    QPushButton* ButtonCancel;
    QTimer* TimerShutdown;

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::int32_t counter_ = 30;
};

// Shows the countdown modally, centred over the main window; true when it timed out,
// after which the caller runs the shutdown power action.
bool ShowShutdownCountdown(QWidget* mainWindow);
