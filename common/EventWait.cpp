#include "common/EventWait.h"

#include <QCoreApplication>
#include <QEventLoop>

namespace vantrel {

void waitForEvents() {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QCoreApplication::sendPostedEvents();
}

} // namespace vantrel
