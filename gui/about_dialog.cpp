#include "gui/about_dialog.h"

#include "document/ui.h"

#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

namespace lex {

namespace {

const QColor kShapeColour(22, 6, 114);

// The picture beside the title: a small map with a lake, a road, a point and its label.
QPixmap emblem() {
    QPixmap pix(96, 96);
    pix.fill(QColor(245, 242, 232));
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(170, 205, 240));
    QPainterPath lake;
    lake.moveTo(8, 60);
    lake.cubicTo(10, 38, 40, 44, 44, 58);
    lake.cubicTo(48, 76, 14, 84, 8, 60);
    p.drawPath(lake);
    p.setBrush(QColor(190, 225, 170));
    p.drawRect(56, 8, 32, 26);
    p.setPen(QPen(QColor(200, 120, 40), 5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(4, 20, 92, 86);
    p.setPen(QPen(kShapeColour, 2));
    p.setBrush(QColor(220, 40, 40));
    p.drawEllipse(QPointF(66, 58), 6, 6);
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(48, 68, 40, 16), 3, 3);
    p.setPen(QPen(kShapeColour, 1.5));
    p.drawLine(54, 76, 82, 76);
    p.setPen(QPen(QColor(120, 120, 120), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(0, 0, 95, 95);
    return pix;
}

} // namespace

AboutDialog::AboutDialog(const std::string& version, const std::string& address, Ui& ui,
                         QWidget* parent)
    : QDialog(parent), ui_(ui), url_(address) {
    setWindowTitle(QStringLiteral("Information"));
    setObjectName(QStringLiteral("information"));

    auto* picture = new QLabel(this);
    picture->setPixmap(emblem());
    picture->setAlignment(Qt::AlignTop);

    auto* title = new QLabel(QStringLiteral("STL5 Translator"), this);
    title->setObjectName(QStringLiteral("title"));
    QFont big = title->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    title->setFont(big);

    // The decorative band under the title.
    auto* shape = new QFrame(this);
    shape->setObjectName(QStringLiteral("shape"));
    shape->setFixedHeight(6);
    shape->setAutoFillBackground(true);
    QPalette pal = shape->palette();
    pal.setColor(QPalette::Window, kShapeColour);
    shape->setPalette(pal);

    auto* versionLabel = new QLabel(QString::fromStdString(version), this);
    versionLabel->setObjectName(QStringLiteral("version"));

    address_ = new QLabel(QString::fromStdString(address), this);
    address_->setObjectName(QStringLiteral("address"));
    address_->setCursor(Qt::PointingHandCursor);
    address_->setWordWrap(true);
    address_->setMinimumWidth(300);
    address_->setMaximumWidth(420);
    QFont link = address_->font();
    link.setUnderline(true);
    address_->setFont(link);
    QPalette linkPal = address_->palette();
    linkPal.setColor(QPalette::WindowText, QColor(0, 0, 192));
    address_->setPalette(linkPal);
    address_->installEventFilter(this);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* text = new QVBoxLayout;
    text->addWidget(title);
    text->addWidget(shape);
    text->addSpacing(6);
    text->addWidget(versionLabel);
    text->addWidget(address_);
    text->addStretch(1);
    auto* top = new QHBoxLayout;
    top->setSpacing(16);
    top->addWidget(picture);
    top->addLayout(text, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(top);
    outer->addLayout(buttons);
    setSizeGripEnabled(false);
}

bool AboutDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == address_ && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        ui_.open_url(url_);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace lex
