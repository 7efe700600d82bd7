#pragma once

#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <type_traits>
#include <utility>

// Runs `f` on the thread of `context` and returns its result. From another
// thread the caller waits until it has run, which is what a synchronous window
// message did; on the context's own thread it runs at once.
template <typename F>
auto OnGuiThread(QObject* context, F&& f) -> decltype(f()) {
    using Result = decltype(f());
    if (QThread::currentThread() == context->thread()) return f();
    if constexpr (std::is_void_v<Result>) {
        QMetaObject::invokeMethod(context, std::forward<F>(f), Qt::BlockingQueuedConnection);
    } else {
        Result result{};
        QMetaObject::invokeMethod(
            context, [&] { result = f(); }, Qt::BlockingQueuedConnection);
        return result;
    }
}
