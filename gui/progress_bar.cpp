#include "gui/progress_bar.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace lex {

ProgressBar::ProgressBar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("progress"));
    setFixedSize(180, 14);
}

void ProgressBar::setValue(int value) {
    if (value == value_) return;
    value_ = value;
    update();
}

void ProgressBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect track = rect().adjusted(0, 0, -1, -1);
    p.setPen(palette().color(QPalette::Mid));
    p.setBrush(palette().color(QPalette::Base));
    p.drawRect(track);
    if (value_ <= 0) return;
    // The fill sits 10 twips inside the track at top and bottom.
    const int inset = std::max(1, int(std::lround(10.0 * logicalDpiY() / 1440.0)));
    const int w = track.width() * value_ / 100;
    p.fillRect(QRect(track.left(), track.top() + inset, w, track.height() - 2 * inset + 1),
               QColor(0, 0, 160));
}

} // namespace lex
