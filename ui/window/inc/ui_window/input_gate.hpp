#pragma once

#include <QEvent>
#include <QObject>
#include <QPointer>

#include <deque>
#include <memory>

namespace hx4x {

// Holds operator input back while the update controller decides what to do with it. Qt
// delivers input to whatever handler is current as soon as events are processed; during a
// cancellable step the controller must see each pending event first (Enter and Escape
// cancel and are dropped, the rest is delivered), and during the burn and the short drains
// input must be thrown away, never queued for later. Installed on the application.
class InputGate : public QObject {
  public:
    struct HeldEvent {
        QPointer<QObject> receiver;
        std::unique_ptr<QEvent> event;
    };

    explicit InputGate(QObject* parent = nullptr);

    // Processes what is pending with input held back; the held events are kept in order.
    void collect();
    // Processes what is pending (repaints and the window's own requests) and throws every
    // input event away, the held ones included.
    void discard();
    // The oldest held input event, or none.
    std::unique_ptr<HeldEvent> take();
    // Delivers a held event to its receiver now.
    static void deliver(HeldEvent& held);

    static bool is_input(const QEvent& event);
    // Enter, Return or Escape pressed.
    static bool is_cancel_key(const QEvent& event);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    enum class Mode { pass, hold, drop };
    void process(Mode mode);

    Mode mode_ = Mode::pass;
    std::deque<HeldEvent> held_;
};

}  // namespace hx4x
