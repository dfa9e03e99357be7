#pragma once

#include <QObject>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

// Hands the results of network workers to the thread of the object that asked for them
// (the user-interface thread), also when that object is destroyed first: what has not
// been delivered by then is dropped, and the workers' transfers are told to stop.
namespace http {

class HandBack {
public:
    // What a worker holds. Safe to use from any thread, for as long as the worker likes.
    class Link : public std::enable_shared_from_this<Link> {
    public:
        // Queues fn to run on the receiver's thread; false when the receiver is gone. fn runs
        // in the receiver's event loop and must not throw.
        bool post(std::function<void()> fn);
        // Runs fn on the receiver's thread and waits until it has run; false when the
        // receiver went away before it could run. An error of fn is thrown here, on the
        // worker. Never call it on the receiver's thread.
        bool call(std::function<void()> fn);
        // Set when the receiver is gone; a transfer's cancel flag (Client::setCancelFlag).
        const std::atomic<bool>& cancelled() const { return m_cancelled; }

    private:
        friend class HandBack;
        std::mutex m_mutex;
        QObject* m_receiver = nullptr;  // guarded by m_mutex
        std::atomic<bool> m_cancelled{false};
    };

    // Made on the receiver's thread, usually as one of the receiver's members, so that it
    // is destroyed with it.
    explicit HandBack(QObject* receiver);
    ~HandBack();
    HandBack(const HandBack&) = delete;
    HandBack& operator=(const HandBack&) = delete;

    std::shared_ptr<Link> link() const { return m_link; }

private:
    std::shared_ptr<Link> m_link;
};

}  // namespace http
