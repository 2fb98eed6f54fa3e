// The controls of the window below the menu bar: the language bar (source and target language
// with their drop lists, the code page, "0x00", "Single Words", the progress bar), the search
// row, and the three panes with their headers.

#include "commands/actions.h"
#include "commands/edit_label.h"
#include "commands/language_choice.h"
#include "document/codec_qt.h"
#include "document/codepage.h"
#include "gui/edit_label_dialog.h"
#include "gui/main_window.h"
#include "gui/pane_view.h"
#include "gui/progress_bar.h"
#include "translate/languages.h"
#include "translate/translator.h"
#include "view/rows.h"
#include "view/steps.h"
#include "view/window_state.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <utility>

namespace lex {

namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

QString caption(ActionId id) {
    return QString::fromLatin1(action(id).caption);
}

// A hidden widget keeps its place in the layout, so the controls beside it do not move.
void keepPlaceWhenHidden(QWidget* w) {
    QSizePolicy keep = w->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    w->setSizePolicy(keep);
}

} // namespace

void MainWindow::buildControls() {
    central_ = new QWidget(this);
    central_->setObjectName(QStringLiteral("central"));
    central_->installEventFilter(this);
    setCentralWidget(central_);
    auto* outer = new QVBoxLayout(central_);
    outer->setContentsMargins(9, 6, 9, 9);
    outer->setSpacing(6);
    buildLanguageBar(outer);
    buildSearchRow(outer);
    buildPanes(outer);
    for (auto* list : languageLists_) list->raise();
}

void MainWindow::buildLanguageBar(QVBoxLayout* outer) {
    auto* bar = new QHBoxLayout;
    bar->setSpacing(6);
    static constexpr const char* kListNames[2] = {"source", "target"};
    for (int i = 0; i < 2; ++i) {
        const QString name = QString::fromLatin1(kListNames[i]);
        auto* caption = new QLabel(central_);
        caption->setObjectName(name + QStringLiteral("Language"));
        caption->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        caption->setAutoFillBackground(true);
        QPalette p = caption->palette();
        p.setColor(QPalette::Window, Qt::white);
        caption->setPalette(p);
        caption->setMinimumWidth(150);
        caption->setMinimumHeight(24);
        caption->setIndent(4);
        languageCaptions_[std::size_t(i)] = caption;

        auto* drop = new QToolButton(central_);
        drop->setObjectName(name + QStringLiteral("Drop"));
        drop->setArrowType(Qt::DownArrow);
        drop->setMinimumHeight(24);
        connect(drop, &QToolButton::pressed, this, [this, i] {
            if (locked()) return;
            toggle_language_list(st_, i);
            showState();
        });
        dropButtons_[std::size_t(i)] = drop;

        auto* list = new QListWidget(central_);
        list->setObjectName(name + QStringLiteral("List"));
        for (int r = 0; r < language_list_size(i); ++r) list->addItem(qs(language_list_item(i, r)));
        list->hide();
        connect(list, &QListWidget::itemPressed, this,
                [this, i, list](QListWidgetItem* item) { onLanguagePressed(i, list->row(item)); });
        connect(list, &QListWidget::itemActivated, this,
                [this, i, list](QListWidgetItem* item) { onLanguagePressed(i, list->row(item)); });
        languageLists_[std::size_t(i)] = list;
    }
    codepageCaption_ = new QLabel(central_);
    codepageCaption_->setObjectName(QStringLiteral("codepage"));
    codepageCaption_->setMinimumWidth(40);
    zeroBox_ = new QCheckBox(QStringLiteral("0x00"), central_);
    zeroBox_->setObjectName(QStringLiteral("zeroFallback"));
    connect(zeroBox_, &QCheckBox::clicked, this, [this](bool ticked) {
        record(StepKind::kLanguage, QStringLiteral("0x00"), StepScope::everything(),
               [&] { set_zero_fallback(st_, *ui_, ticked); });
    });
    singleWordsBox_ = new QCheckBox(QStringLiteral("Single Words"), central_);
    singleWordsBox_->setObjectName(QStringLiteral("singleWords"));
    connect(singleWordsBox_, &QCheckBox::clicked, this,
            [this](bool ticked) { st_.win.single_words = ticked; });
    progress_ = new ProgressBar(central_);

    bar->addWidget(new QLabel(QStringLiteral("From"), central_));
    bar->addWidget(languageCaptions_[kSourceList]);
    bar->addWidget(dropButtons_[kSourceList]);
    bar->addSpacing(16);
    bar->addWidget(new QLabel(QStringLiteral("Translate into"), central_));
    bar->addWidget(languageCaptions_[kTargetList]);
    bar->addWidget(dropButtons_[kTargetList]);
    bar->addSpacing(8);
    bar->addWidget(codepageCaption_);
    bar->addSpacing(8);
    bar->addWidget(zeroBox_);
    bar->addWidget(singleWordsBox_);
    bar->addStretch(1);
    bar->addWidget(progress_);
    outer->addLayout(bar);
}

void MainWindow::buildSearchRow(QVBoxLayout* outer) {
    auto* row = new QHBoxLayout;
    surveyButton_ = new QPushButton(caption(ActionId::kSurvey), central_);
    surveyButton_->setObjectName(QStringLiteral("survey"));
    searchBox_ = new QLineEdit(central_);
    searchBox_->setObjectName(QStringLiteral("searchText"));
    searchBox_->setMaximumWidth(220);
    connect(searchBox_, &QLineEdit::textEdited, this, [this](const QString& text) {
        st_.win.search_text = encode(text, source_cell_codepage(st_));
    });
    searchButton_ = new QPushButton(caption(ActionId::kSearch), central_);
    searchButton_->setObjectName(QStringLiteral("search"));
    exportButton_ = new QPushButton(caption(ActionId::kExport), central_);
    exportButton_->setObjectName(QStringLiteral("export"));
    connect(surveyButton_, &QPushButton::clicked, this, [this] { trigger(ActionId::kSurvey); });
    connect(searchButton_, &QPushButton::clicked, this, [this] { trigger(ActionId::kSearch); });
    connect(searchBox_, &QLineEdit::returnPressed, this, [this] { trigger(ActionId::kSearch); });
    connect(exportButton_, &QPushButton::clicked, this, [this] { trigger(ActionId::kExport); });
    row->addWidget(surveyButton_);
    row->addSpacing(16);
    row->addWidget(searchBox_);
    row->addWidget(searchButton_);
    row->addStretch(1);
    row->addWidget(exportButton_);
    outer->addLayout(row);
}

void MainWindow::buildPanes(QVBoxLayout* outer) {
    auto* panesRow = new QHBoxLayout;
    panesRow->setSpacing(8);
    static constexpr const char* kHeads[3] = {"Polygons:", "Lines:", "Pois:"};
    for (const Kind k : kAllKinds) {
        const auto K = std::size_t(k);
        const QString n = QString::number(k);
        auto* column = new QVBoxLayout;
        column->setSpacing(4);
        auto* head = new QHBoxLayout;
        head->setSpacing(4);
        countCaptions_[K] = new QLabel(QString::fromLatin1(kHeads[k]), central_);
        countCaptions_[K]->setObjectName(QStringLiteral("count") + n);
        QFont bold = countCaptions_[K]->font();
        bold.setBold(true);
        countCaptions_[K]->setFont(bold);

        translateStop_[K] = new QStackedWidget(central_);
        translateButtons_[K] = new QPushButton(caption(ActionId::kTranslate), translateStop_[K]);
        translateButtons_[K]->setObjectName(QStringLiteral("translate") + n);
        stopButtons_[K] = new QPushButton(caption(ActionId::kStop), translateStop_[K]);
        stopButtons_[K]->setObjectName(QStringLiteral("stop") + n);
        translateStop_[K]->addWidget(translateButtons_[K]);
        translateStop_[K]->addWidget(stopButtons_[K]);
        translateStop_[K]->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        translateStop_[K]->setFixedSize(translateButtons_[K]->sizeHint());
        keepPlaceWhenHidden(translateStop_[K]);
        connect(translateButtons_[K], &QPushButton::clicked, this,
                [this, k] { trigger(ActionId::kTranslate, k); });
        // STOP stays live while a run owns the window.
        connect(stopButtons_[K], &QPushButton::clicked, this,
                [this, k] { trigger(ActionId::kStop, k); });

        checkErrorsButtons_[K] = new QPushButton(caption(ActionId::kCheckErrors), central_);
        checkErrorsButtons_[K]->setObjectName(QStringLiteral("checkErrors") + n);
        keepPlaceWhenHidden(checkErrorsButtons_[K]);
        checkErrorsButtons_[K]->hide();
        connect(checkErrorsButtons_[K], &QPushButton::clicked, this,
                [this, k] { trigger(ActionId::kCheckErrors, k); });

        clearButtons_[K] = new QPushButton(caption(ActionId::kClearPane), central_);
        clearButtons_[K]->setObjectName(QStringLiteral("clear") + n);
        clearButtons_[K]->setMaximumWidth(44);
        connect(clearButtons_[K], &QPushButton::clicked, this,
                [this, k] { trigger(ActionId::kClearPane, k); });

        head->addWidget(countCaptions_[K]);
        head->addStretch(1);
        head->addWidget(checkErrorsButtons_[K]);
        head->addWidget(translateStop_[K]);
        head->addWidget(clearButtons_[K]);
        column->addLayout(head);

        panes_[K] = new PaneView(st_, k, central_);
        connect(panes_[K], &PaneView::sourcePressed, this, [this](int) { hideLanguageLists(); });
        connect(panes_[K], &PaneView::targetPressed, this, [this](Kind kind) {
            if (kind == kPolygons) hideLanguageLists();
        });
        connect(panes_[K], &PaneView::targetEdited, this, [this](int) { target_typed(st_, *ui_); });
        connect(panes_[K], &PaneView::sourceDoubleClicked, this, [this](Kind kind, int row) {
            if (locked()) return;
            record(StepKind::kDocument, QStringLiteral("Edit Label"), StepScope::everything(), [&] {
                edit_source_label(st_, *ui_, kind, row, [this](const std::string& text) {
                    return editLabel(this, *ui_, text, codepage_for_code(st_.source_code));
                });
            });
        });
        column->addWidget(panes_[K], 1);
        panesRow->addLayout(column, 1);
    }
    outer->addLayout(panesRow, 1);
}

void MainWindow::showControls(bool free) {
    const WindowModel& w = st_.win;
    for (int i = 0; i < 2; ++i) {
        const auto I = std::size_t(i);
        languageCaptions_[I]->setText(qs(w.language_caption[I]));
        dropButtons_[I]->setEnabled(free);
        QListWidget* list = languageLists_[I];
        list->setEnabled(free);
        const int row = w.language_row[I];
        if (list->currentRow() != row) {
            const QSignalBlocker block(list);
            list->setCurrentRow(row >= 0 && row < list->count() ? row : -1);
        }
        const bool show = w.language_list_open[I];
        if (show != list->isVisibleTo(this)) {
            // An open list takes the keyboard; a closing one hands it back to its button.
            if (!show && list->hasFocus()) list->clearFocus();
            list->setVisible(show);
            if (show) list->setFocus(Qt::OtherFocusReason);
        }
    }
    placeLists();
    codepageCaption_->setText(qs(w.codepage_caption));
    {
        const QSignalBlocker zero(zeroBox_);
        zeroBox_->setChecked(st_.zero_fallback);
        const QSignalBlocker single(singleWordsBox_);
        singleWordsBox_->setChecked(w.single_words);
    }
    zeroBox_->setEnabled(free);
    singleWordsBox_->setEnabled(free);
    progress_->setValue(w.progress);

    for (const Kind k : kAllKinds) {
        const auto K = std::size_t(k);
        const Pane& pane = st_.pane(k);
        countCaptions_[K]->setText(qs(w.count_caption[K]));
        translateStop_[K]->setCurrentIndex(pane.stop_visible ? 1 : 0);
        translateStop_[K]->setVisible(pane.stop_visible || pane.translate_visible);
        translateButtons_[K]->setEnabled(allowed(ActionId::kTranslate, free));
        stopButtons_[K]->setEnabled(allowed(ActionId::kStop, free));
        checkErrorsButtons_[K]->setVisible(pane.check_errors_visible);
        checkErrorsButtons_[K]->setEnabled(allowed(ActionId::kCheckErrors, free));
        clearButtons_[K]->setEnabled(allowed(ActionId::kClearPane, free));
        panes_[K]->setLocked(!free);
    }

    surveyButton_->setEnabled(allowed(ActionId::kSurvey, free));
    searchButton_->setEnabled(allowed(ActionId::kSearch, free));
    exportButton_->setEnabled(allowed(ActionId::kExport, free));
    searchBox_->setEnabled(free);
    const QString search = decode(w.search_text, source_cell_codepage(st_));
    if (searchBox_->text() != search) searchBox_->setText(search);
}

void MainWindow::search() {
    // The box's text is read in the source language's code page of the moment; the search then
    // hands the keyboard on.
    st_.win.search_text = encode(searchBox_->text(), codepage_for_code(st_.source_code));
    runCommand(ActionId::kSearch);
    if (std::exchange(st_.win.focus_search_box, false)) searchBox_->setFocus();
    const int pointRow = std::exchange(st_.win.focus_point_row, -1);
    if (pointRow >= 0) panes_[kPoints]->focusRow(pointRow);
}

void MainWindow::placeLists() {
    for (int i = 0; i < 2; ++i) {
        QListWidget* list = languageLists_[std::size_t(i)];
        if (list->isHidden()) continue;
        QLabel* under = languageCaptions_[std::size_t(i)];
        const QPoint at = under->mapTo(central_, QPoint(0, under->height()));
        const int rowHeight = list->sizeHintForRow(0) > 0 ? list->sizeHintForRow(0) : 18;
        const int wanted = rowHeight * list->count() + 2 * list->frameWidth() + 2;
        const int room = std::max(80, central_->height() - at.y() - 4);
        list->setGeometry(at.x(), at.y(), std::max(under->width() + dropButtons_[0]->width(), 170),
                          std::min(wanted, room));
        list->raise();
    }
}

void MainWindow::hideLanguageLists() {
    if (!st_.win.language_list_open[0] && !st_.win.language_list_open[1]) return;
    close_language_lists(st_);
    showState();
}

void MainWindow::onLanguagePressed(int list, int row) {
    if (locked()) return;
    // A language that is not applied leaves the list on the one in use (act redraws).
    QListWidgetItem* item = languageLists_[std::size_t(list)]->item(row);
    const QString name = item ? item->text().trimmed() : QString();
    record(StepKind::kLanguage, (list == kSourceList ? "From " : "Translate into ") + name,
           StepScope::everything(), [&] { choose_language(st_, *ui_, list, row); });
}

} // namespace lex
