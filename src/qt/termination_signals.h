// SIGTERM, SIGINT and SIGHUP (a session ending, Ctrl+C in the terminal, the
// terminal closing) turned into a call on the user-interface thread.
#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace morbilex {

class TerminationSignals : public QObject {
    Q_OBJECT
public:
    // While this object lives, each of the three signals calls on_signal from
    // the event loop. Only one may live at a time.
    explicit TerminationSignals(std::function<void()> on_signal, QObject* parent = nullptr);
    ~TerminationSignals() override;

private:
    void take_signal();

    std::function<void()> on_signal_;
    int pipe_[2] = {-1, -1};
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace morbilex
