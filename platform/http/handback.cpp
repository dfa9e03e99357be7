#include "platform/http/handback.h"

#include <QCoreApplication>

#include <exception>
#include <future>

namespace http {

HandBack::HandBack(QObject* receiver) : m_link(std::make_shared<Link>()) {
    m_link->m_receiver = receiver;
}

HandBack::~HandBack() {
    QObject* receiver = nullptr;
    {
        const std::lock_guard lock(m_link->m_mutex);
        receiver = m_link->m_receiver;
        m_link->m_receiver = nullptr;
        m_link->m_cancelled = true;
    }
    // What was queued and has not run is dropped now, not when the receiver's own end
    // removes its events: a worker waiting in call() is released at once, so a receiver that
    // waits for its workers further on in its end never waits for a call that cannot run.
    if (receiver) QCoreApplication::removePostedEvents(receiver, QEvent::MetaCall);
}

// The queued function runs only while the receiver lives: it is posted under the mutex
// that the receiver's end takes, the receiver's events die with it, and the function
// looks once more on the receiver's thread in case it runs during the receiver's end.
bool HandBack::Link::post(std::function<void()> fn) {
    const std::lock_guard lock(m_mutex);
    if (!m_receiver) return false;
    return QMetaObject::invokeMethod(
        m_receiver,
        [self = shared_from_this(), fn = std::move(fn)] {
            if (!self->m_cancelled) fn();
        },
        Qt::QueuedConnection);
}

bool HandBack::Link::call(std::function<void()> fn) {
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> finished = done->get_future();
    // The promise lives only in the queued function: when that is dropped unrun, the
    // wait below ends with a broken promise.
    const bool queued = post([done = std::move(done), fn = std::move(fn)] {
        try {
            fn();
            done->set_value();
        } catch (...) {
            done->set_exception(std::current_exception());
        }
    });
    if (!queued) return false;
    try {
        finished.get();
    } catch (const std::future_error&) {
        return false;
    }
    return true;
}

}  // namespace http
