#pragma once

#include <QObject>
#include <chrono>
#include <functional>

// A wait that lets every other event of the program run: a nested event loop that
// sleeps until it is woken and its condition holds, or until its deadline passes.
// Whoever can change the condition must call wake() (usually by connecting a signal
// to it); nothing polls, so a long wait costs almost no CPU time.
class EventWait : public QObject {
    Q_OBJECT
public:
    using Condition = std::function<bool()>;
    static constexpr std::chrono::milliseconds Forever { -1 };

    // Returns whether the condition holds at the end of the wait.
    bool waitUntil(const Condition &done, std::chrono::milliseconds timeout = Forever);

public slots:
    void wake() { emit woken(); }

signals:
    void woken();
};
