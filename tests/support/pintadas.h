// The paint events a widget receives: how many, the area they covered, and
// an optional action run at each.
#pragma once

#include <QEvent>
#include <QObject>
#include <QPaintEvent>
#include <QRegion>
#include <QWidget>

#include <functional>
#include <utility>

namespace testsupport {

class Pintadas : public QObject {
public:
    explicit Pintadas(QWidget& widget, std::function<void()> alPintar = {}) : alPintar_(std::move(alPintar)) {
        widget.installEventFilter(this);
    }
    int cuantas = 0;
    QRegion region;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++cuantas;
            region += static_cast<QPaintEvent*>(event)->region();
            if (alPintar_) alPintar_();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> alPintar_;
};

}  // namespace testsupport
