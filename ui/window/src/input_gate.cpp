#include "ui_window/input_gate.hpp"

#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>

namespace hx4x {

InputGate::InputGate(QObject* parent) : QObject(parent) {}

bool InputGate::is_input(const QEvent& event) {
    switch (event.type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
        case QEvent::TabletMove:
        case QEvent::ContextMenu:
        case QEvent::Close:
            return true;
        default:
            return false;
    }
}

bool InputGate::is_cancel_key(const QEvent& event) {
    if (event.type() != QEvent::KeyPress) {
        return false;
    }
    const int key = static_cast<const QKeyEvent&>(event).key();
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
}

bool InputGate::eventFilter(QObject* watched, QEvent* event) {
    if (mode_ == Mode::pass || event == nullptr || !is_input(*event)) {
        return QObject::eventFilter(watched, event);
    }
    if (mode_ == Mode::hold) {
        held_.push_back({QPointer<QObject>(watched), std::unique_ptr<QEvent>(event->clone())});
    }
    // Held or dropped, the event does not reach its receiver now.
    return true;
}

void InputGate::process(Mode mode) {
    const Mode previous = mode_;
    mode_ = mode;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    mode_ = previous;
}

void InputGate::collect() {
    process(Mode::hold);
}

void InputGate::discard() {
    process(Mode::drop);
    held_.clear();
}

std::unique_ptr<InputGate::HeldEvent> InputGate::take() {
    while (!held_.empty()) {
        auto held = std::make_unique<HeldEvent>(std::move(held_.front()));
        held_.pop_front();
        if (held->receiver) {
            return held;
        }
    }
    return nullptr;
}

void InputGate::deliver(HeldEvent& held) {
    if (held.receiver && held.event) {
        QCoreApplication::sendEvent(held.receiver, held.event.get());
    }
}

}  // namespace hx4x
