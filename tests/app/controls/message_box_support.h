#pragma once

#include <QApplication>
#include <QTimer>
#include <functional>
#include <memory>

#include "htmlbox/vela_message_box.h"

// The box on the screen, if one is shown.
inline CVelaMessageBoxTemplate* OpenBox() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<CVelaMessageBoxTemplate*>(w); box && box->isVisible())
            return box;
    return nullptr;
}

// Runs `act` on the box as soon as one is shown (polled from the event loop
// that the box itself runs). Deleting the returned timer calls it off.
inline QTimer* WhenBoxShows(std::function<void(CVelaMessageBoxTemplate*)> act) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (CVelaMessageBoxTemplate* box = OpenBox()) {
            timer->stop();
            timer->deleteLater();
            act(box);
        }
    });
    timer->start();
    return timer;
}

// A beat the test gives by hand.
class ManualTicker : public VelaTicker {
public:
    void Start(int periodMs, std::function<void()> tick) override {
        period = periodMs;
        m_tick = std::move(tick);
        running = true;
    }
    void Stop() override { running = false; }
    void Tick() {
        if (running && m_tick) m_tick();
    }
    int period = 0;
    bool running = false;

private:
    std::function<void()> m_tick;
};

// Installs manual beats for every box made while it lives; `last` is the
// beat of the newest box.
struct ManualTicks {
    ManualTicks() {
        SetVelaTickerFactory([this] {
            auto ticker = std::make_unique<ManualTicker>();
            last = ticker.get();
            return ticker;
        });
    }
    ~ManualTicks() { SetVelaTickerFactory({}); }
    ManualTicker* last = nullptr;
};
