#include "gui/check_dialog.h"

#include "document/codec_qt.h"
#include "view/rows.h"
#include "view/state.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace lex {

namespace {

constexpr int kKindRole = Qt::UserRole;
constexpr int kRowRole = Qt::UserRole + 1;

const char* const kPaneNames[] = {"Polygons", "Lines", "Points"};

} // namespace

CheckDialog::CheckDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Check Translations"));
    setObjectName(QStringLiteral("checkDialog"));
    auto* outer = new QVBoxLayout(this);

    auto* choice = new QGroupBox(QStringLiteral("Checks"), this);
    auto* grid = new QGridLayout(choice);
    int at = 0;
    for (const Check& c : checks()) {
        auto* box = new QCheckBox(QString::fromLatin1(c.title), choice);
        box->setObjectName(QString::fromLatin1(c.name));
        box->setToolTip(QString::fromLatin1(c.description) + " (" + severity_name(c.severity) +
                        ")");
        box->setChecked(true);
        connect(box, &QCheckBox::toggled, this, [this] {
            if (!showing_) emit checkAgain(true);
        });
        boxes_[std::size_t(c.id)] = box;
        grid->addWidget(box, at / 3, at % 3);
        ++at;
    }
    auto* limits = new QHBoxLayout;
    ratio_ = new QDoubleSpinBox(choice);
    ratio_->setRange(0, 100);
    ratio_->setDecimals(1);
    ratio_->setSingleStep(0.5);
    ratio_->setSuffix(QStringLiteral(" × the source"));
    limit_ = new QSpinBox(choice);
    limit_->setRange(0, 10000);
    limit_->setSpecialValueText(QStringLiteral("no limit"));
    limit_->setSuffix(QStringLiteral(" characters"));
    limits->addWidget(new QLabel(QStringLiteral("Too long: more than"), choice));
    limits->addWidget(ratio_);
    limits->addWidget(new QLabel(QStringLiteral("or"), choice));
    limits->addWidget(limit_);
    limits->addStretch(1);
    grid->addLayout(limits, (at + 2) / 3, 0, 1, 3);
    connect(ratio_, &QDoubleSpinBox::editingFinished, this, [this] { emit checkAgain(true); });
    connect(limit_, &QSpinBox::editingFinished, this, [this] { emit checkAgain(true); });
    outer->addWidget(choice);

    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("findings"));
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setAlternatingRowColors(true);
    list_->setHeaderLabels({QStringLiteral("Check"), QStringLiteral("Pane"), QStringLiteral("Row"),
                            QStringLiteral("Source"), QStringLiteral("Target"),
                            QStringLiteral("Message")});
    list_->header()->setStretchLastSection(true);
    connect(list_, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        if (item) emit rowChosen(item->data(0, kKindRole).toInt(), item->data(0, kRowRole).toInt());
    });
    outer->addWidget(list_, 1);

    auto* bottom = new QHBoxLayout;
    summary_ = new QLabel(this);
    bottom->addWidget(summary_, 1);
    again_ = new QPushButton(QStringLiteral("Check Again"), this);
    connect(again_, &QPushButton::clicked, this, [this] { emit checkAgain(false); });
    bottom->addWidget(again_);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    bottom->addWidget(close);
    outer->addLayout(bottom);
    resize(900, 480);
}

void CheckDialog::setSettings(const CheckSettings& settings) {
    showing_ = true;
    for (const Check& c : checks()) boxes_[std::size_t(c.id)]->setChecked(settings.is_on(c.id));
    ratio_->setValue(settings.max_ratio);
    limit_->setValue(settings.max_length);
    showing_ = false;
}

CheckSettings CheckDialog::settings() const {
    CheckSettings s;
    for (const Check& c : checks())
        s.on[std::size_t(c.id)] = boxes_[std::size_t(c.id)]->isChecked();
    s.max_ratio = ratio_->value();
    s.max_length = limit_->value();
    return s;
}

void CheckDialog::showFindings(const State& st, const std::vector<Finding>& findings) {
    list_->clear();
    const int sourceCp = source_cell_codepage(st);
    const int targetCp = target_cell_codepage(st);
    QList<QTreeWidgetItem*> items;
    items.reserve(qsizetype(findings.size()));
    for (const Finding& f : findings) {
        const auto& rows = st.rows(f.kind);
        if (f.row < 0 || std::size_t(f.row) >= rows.size()) continue;
        const Row& row = rows[std::size_t(f.row)];
        const Check& c = check(f.check);
        auto* item = new QTreeWidgetItem(
            QStringList{QString::fromLatin1(c.title), QString::fromLatin1(kPaneNames[f.kind]),
                        QString::number(f.row + 1), decode(row.caption, sourceCp),
                        decode(row.text, targetCp), QString::fromStdString(f.message)});
        item->setData(0, kKindRole, int(f.kind));
        item->setData(0, kRowRole, f.row);
        item->setToolTip(0, QString::fromLatin1(c.description));
        item->setToolTip(5, QString::fromStdString(f.message));
        items.append(item);
    }
    list_->addTopLevelItems(items);
    for (int col = 0; col < 5; ++col) list_->resizeColumnToContents(col);
    summary_->setText(findings.empty()
                          ? QStringLiteral("No findings.")
                          : QStringLiteral("%1 findings.").arg(qsizetype(findings.size())));
}

} // namespace lex
