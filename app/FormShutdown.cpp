#include "app/FormShutdown.h"

#include "frontend/ApplicationTitle.h"
#include "frontend/MessageDialog.h"

#include <QFont>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace {
const QString kDescription = QStringLiteral("If you don't press cancel now, \n%s\nwill shutdown Windows.");

QString timeLeftText(std::int32_t seconds) {
    return QStringLiteral("Time left: %1").arg(seconds);
}
} // namespace

TFormShutdown::TFormShutdown(QWidget* parent) : QDialog(parent) {
    setObjectName("FormShutdown");
    setWindowTitle("Shutdown");
    setFixedSize(234, 149);

    LabelWarning = new QLabel("Warning!", this);
    LabelWarning->setObjectName("LabelWarning");
    QFont warningFont("Arial");
    warningFont.setPixelSize(19);
    warningFont.setBold(true);
    LabelWarning->setFont(warningFont);
    LabelWarning->setGeometry(16, 8, 200, 26);

    LabelShutdownDescription = new QLabel(kDescription, this);
    LabelShutdownDescription->setObjectName("LabelShutdownDescription");
    LabelShutdownDescription->setGeometry(16, 38, 210, 48);

    LabelTimeOut = new QLabel(this);
    LabelTimeOut->setObjectName("LabelTimeOut");
    LabelTimeOut->setGeometry(16, 90, 200, 16);

    ButtonCancel = new QPushButton("&Cancel", this);
    ButtonCancel->setObjectName("ButtonCancel");
    ButtonCancel->setGeometry(80, 114, 75, 25);
    ButtonCancel->setDefault(true);
    connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);

    TimerShutdown = new QTimer(this);
    TimerShutdown->setObjectName("TimerShutdown");
    TimerShutdown->setInterval(1000);
    connect(TimerShutdown, &QTimer::timeout, this, &TFormShutdown::TimerShutdownTimer);

    counter_ = 30;
    LabelTimeOut->setText(timeLeftText(counter_));
    TimerShutdown->start();
}

void TFormShutdown::showEvent(QShowEvent* event) {
    LabelShutdownDescription->setText(QString(kDescription).replace("%s", ApplicationTitle()));
    QDialog::showEvent(event);
}

void TFormShutdown::TimerShutdownTimer() {
    --counter_;
    if (counter_ < 0) {
        TimerShutdown->stop();
        accept();
        return;
    }
    LabelTimeOut->setText(timeLeftText(counter_));
}

bool ShowShutdownCountdown(QWidget* mainWindow) {
    TFormShutdown dialog(mainWindow);
    if (mainWindow) {
        const QRect frame = mainWindow->geometry();
        dialog.move(frame.x() + (frame.width() - dialog.width()) / 2,
                    frame.y() + (frame.height() - dialog.height()) / 2);
    }
    return dialog.exec() == QDialog::Accepted;
}
