// A widget that leaves its drawing to the control it shows: panels, shapes
// and images paint themselves through the canvas the control owns.
#pragma once

#include <functional>

#include <QPainter>
#include <QWidget>

class TPaintedWidget : public QWidget {
public:
    std::function<void(QPainter&)> Drawing;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        if (Drawing)
            Drawing(painter);
    }
};

inline TPaintedWidget& Painted(QWidget* widget) { return static_cast<TPaintedWidget&>(*widget); }
