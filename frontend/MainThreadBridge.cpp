#include "frontend/MainThreadBridge.h"

#include "support/MainThread.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

namespace {

const QEvent::Type kRunPendingCalls = static_cast<QEvent::Type>(QEvent::registerEventType());

class TPendingCallsRunner : public QObject {
public:
    using QObject::QObject;

protected:
    bool event(QEvent* event) override {
        if (event->type() != kRunPendingCalls)
            return QObject::event(event);
        MainThread::ProcessPending();
        return true;
    }
};

} // namespace

void InstallMainThreadBridge() {
    MainThread::Attach();
    auto* runner = new TPendingCallsRunner(QCoreApplication::instance());
    MainThread::SetWaker([runner] { QCoreApplication::postEvent(runner, new QEvent(kRunPendingCalls)); });
    MainThread::SetPump([] { QCoreApplication::processEvents(); });
}
