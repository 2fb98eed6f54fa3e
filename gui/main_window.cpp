#include "app/main_window.h"

#include "app/built_features.h"
#include "app/file_menu.h"
#include "app/progdir.h"
#include "app/settings.h"
#include "app/window_state.h"
#include "document/codec.h"
#include "document/codepage.h"
#include "document/save.h"
#include "translate/commands.h"
#include "translate/translator.h"
#include "view/language.h"
#include "view/pane_view_gui.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <exception>

namespace lex {

namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

// A menu caption shows "&" as itself.
QString menuText(const std::string& s) {
    return qs(s).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

} // namespace

// The progress bar: a framed track (Shape2(0)) and its fill (Shape2(1)), hidden at 0.
class ProgressBar : public QWidget {
public:
    explicit ProgressBar(QWidget* parent) : QWidget(parent) {
        setObjectName(QStringLiteral("Shape2"));
        setFixedSize(180, 14);
    }
    void setValue(int value) {
        if (value == value_) return;
        value_ = value;
        update();
    }
    int value() const { return value_; }

protected:
    void paintEvent(QPaintEvent*) override {
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

private:
    int value_ = 0;
};

// ---- QtUi -------------------------------------------------------------------------------

void QtUi::message(const std::string& text) {
    if (dialogs_) return dialogs_->message(text);
    QMessageBox::information(owner_, QApplication::applicationName(), qs(text));
}

bool QtUi::ask(const std::string& text) {
    if (dialogs_) return dialogs_->ask(text);
    return QMessageBox::question(owner_, QApplication::applicationName(), qs(text),
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

std::string QtUi::choose_file(const FileRequest& request) {
    if (dialogs_) return dialogs_->choose_file(request);
    // "description NUL pattern NUL ..." becomes "description (pattern);;..."
    QStringList filters;
    std::size_t p = 0;
    while (p < request.filter.size()) {
        std::size_t a = request.filter.find('\0', p);
        if (a == std::string::npos) break;
        std::size_t b = request.filter.find('\0', a + 1);
        if (b == std::string::npos) b = request.filter.size();
        QString desc = qs(request.filter.substr(p, a - p));
        QString pattern = qs(request.filter.substr(a + 1, b - a - 1));
        if (!desc.contains('(')) desc += " (" + pattern + ")";
        filters << desc;
        p = b + 1;
    }
    QString folder = qs(request.folder);
    QFileInfo info(folder);
    if (!info.isDir()) folder = info.absolutePath();
    QString start = request.proposed.empty() ? folder : QDir(folder).filePath(qs(request.proposed));
    QString chosen =
        request.save
            ? QFileDialog::getSaveFileName(owner_, qs(request.title), start, filters.join(";;"))
            : QFileDialog::getOpenFileName(owner_, qs(request.title), start, filters.join(";;"));
    return QDir::toNativeSeparators(chosen).trimmed().toStdString();
}

void QtUi::process_events() {
    QApplication::processEvents();
}

void QtUi::busy(bool on) {
    if (on) {
        if (busyDepth_++ == 0) QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (busyDepth_ > 0) {
        if (--busyDepth_ == 0) QApplication::restoreOverrideCursor();
    }
}

void QtUi::refresh(int kind) {
    if (refresh_) refresh_(kind);
}

void QtUi::view_file(const std::string& path) {
    if (dialogs_) return dialogs_->view_file(path);
#ifdef _WIN32
    QProcess::startDetached("NOTEPAD.EXE", {qs(path)});
#else
    QDesktopServices::openUrl(QUrl::fromLocalFile(qs(path)));
#endif
}

void QtUi::start_program(const std::string& program, const std::string& argument) {
    if (dialogs_) return dialogs_->start_program(program, argument);
    QProcess::startDetached(qs(program), {qs(argument)});
}

void QtUi::open_url(const std::string& url) {
    if (dialogs_) return dialogs_->open_url(url);
    QDesktopServices::openUrl(QUrl(qs(url)));
}

// ---- MainWindow -------------------------------------------------------------------------

MainWindow::MainWindow(const std::string& commandLine, Ui* dialogs, QWidget* parent)
    : QMainWindow(parent), ui_(std::make_unique<QtUi>(this, dialogs)) {
    ui_->set_refresh([this](int kind) { refreshModel(kind); });
    translator_ = make_web_translator(*ui_);
    buildMenus();
    buildControls();
    resize(960, 720);
    act([&] {
        startup(st_, *ui_, program_folder(), commandLine);
        st_.saveio = &qt_save_io(); // saves go through QSaveFile
    });
    started_ = true;
    refreshModel(-1);
}

MainWindow::~MainWindow() {
    ui_->set_refresh(nullptr);
}

void MainWindow::buildMenus() {
    mfile_ = menuBar()->addMenu(QStringLiteral("File"));
    const char* files[10] = {"Open TXT", "-", "Open List", "-", "Save ",
                             "Save As",  "-", "Save List", "-", "Exit"};
    for (int i = 0; i < 10; ++i) {
        if (files[i][0] == '-') {
            mf_[std::size_t(i)] = mfile_->addSeparator();
            continue;
        }
        QAction* a = mfile_->addAction(QString::fromLatin1(files[i]));
        connect(a, &QAction::triggered, this, [this, i] { onFileItem(i); });
        mf_[std::size_t(i)] = a;
    }
    mf_[kSave]->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    for (int i = kRecentFirst; i <= kRecentLast; ++i) {
        QAction* a = mfile_->addAction(QString());
        a->setVisible(false);
        connect(a, &QAction::triggered, this, [this, i] { onFileItem(i); });
        mf_[std::size_t(i)] = a;
    }

    // The Clear, Edit Strings and Help entries are connected when their actions are built.
    mclr_ = menuBar()->addMenu(QStringLiteral("Clear"));
    const char* clears[3] = {"Clear Current Polygon Translations",
                             "Clear Current Line Translations", "Clear Current POIsTranslations"};
    for (int i = 0; i < 3; ++i) mclrc_[std::size_t(i)] = mclr_->addAction(clears[i]);

    med_ = menuBar()->addMenu(QStringLiteral("Edit Strings"));
    const char* edits[6] = {
        "Replace 0x00 with 0xXX", "Replace Source with Target", "-", "Delete Empty Strings", "-",
        "Sort Languages"};
    for (int i = 0; i < 6; ++i)
        md_[std::size_t(i)] = edits[i][0] == '-' ? med_->addSeparator() : med_->addAction(edits[i]);

    mtools_ = menuBar()->addMenu(QStringLiteral("Tools"));
    const char* tools[10] = {"Spelling",
                             "-",
                             "Edit Dictionary",
                             "Reload Dictionary",
                             "-",
                             "Mark  Light Blue Polygons for checking",
                             "Mark Light Blue Lines for checking",
                             "Mark Light Blue POIs for checking",
                             "-",
                             "Add Custom  Language"};
    for (int i = 0; i < 10; ++i) {
        if (tools[i][0] == '-') {
            mtls_[std::size_t(i)] = mtools_->addSeparator();
            continue;
        }
        QAction* a = mtools_->addAction(tools[i]);
        connect(a, &QAction::triggered, this,
                [this, i] { act([&] { mtls_click(st_, *ui_, i); }); });
        mtls_[std::size_t(i)] = a;
    }

    mhelp_ = menuBar()->addMenu(QStringLiteral("Help"));
    const char* helps[3] = {"Check Online", "-", "About"};
    for (int i = 0; i < 3; ++i)
        mhlp_[std::size_t(i)] =
            helps[i][0] == '-' ? mhelp_->addSeparator() : mhelp_->addAction(helps[i]);

    // Opening the File, Tools or Help menu closes an open language list.
    for (QMenu* m : {mfile_, mtools_, mhelp_})
        connect(m, &QMenu::aboutToShow, this, [this] { hideLanguageLists(); });
}

void MainWindow::buildControls() {
    central_ = new QWidget(this);
    central_->setObjectName(QStringLiteral("central"));
    central_->installEventFilter(this);
    setCentralWidget(central_);
    auto* outer = new QVBoxLayout(central_);
    outer->setContentsMargins(9, 6, 9, 9);
    outer->setSpacing(6);

    // Language choice, the switches and the progress bar.
    auto* langs = new QHBoxLayout;
    langs->setSpacing(6);
    auto caption = [&](const char* text) {
        auto* l = new QLabel(QString::fromLatin1(text), central_);
        return l;
    };
    auto* label1 = caption("From");
    label1->setObjectName(QStringLiteral("Label1"));
    auto* label6 = caption("Translate into");
    label6->setObjectName(QStringLiteral("Label6"));
    for (int i = 0; i < 2; ++i) {
        auto* l = new QLabel(central_);
        l->setObjectName(QStringLiteral("Label4_%1").arg(i));
        l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        l->setAutoFillBackground(true);
        QPalette p = l->palette();
        p.setColor(QPalette::Window, Qt::white);
        l->setPalette(p);
        l->setMinimumWidth(150);
        l->setMinimumHeight(24);
        l->setIndent(4);
        label4_[std::size_t(i)] = l;

        auto* b = new QToolButton(central_);
        b->setObjectName(QStringLiteral("p4_%1").arg(i));
        b->setArrowType(Qt::DownArrow);
        b->setMinimumHeight(24);
        connect(b, &QToolButton::pressed, this, [this, i] {
            if (locked()) return;
            p4_MouseDown(st_, i);
            showState();
        });
        p4_[std::size_t(i)] = b;

        auto* list = new QListWidget(central_);
        list->setObjectName(QStringLiteral("List4_%1").arg(i));
        for (int r = 0; r < list_size(i); ++r) list->addItem(qs(list_item_text(i, r)));
        list->hide();
        connect(list, &QListWidget::itemPressed, this,
                [this, i, list](QListWidgetItem* item) { onLanguagePressed(i, list->row(item)); });
        connect(list, &QListWidget::itemActivated, this,
                [this, i, list](QListWidgetItem* item) { onLanguagePressed(i, list->row(item)); });
        list4_[std::size_t(i)] = list;
    }
    label5_ = new QLabel(central_);
    label5_->setObjectName(QStringLiteral("Label5"));
    label5_->setMinimumWidth(40);
    check3_ = new QCheckBox(QStringLiteral("0x00"), central_);
    check3_->setObjectName(QStringLiteral("Check3"));
    connect(check3_, &QCheckBox::clicked, this,
            [this](bool ticked) { act([&] { Check3_MouseUp(st_, *ui_, ticked); }); });
    check2_ = new QCheckBox(QStringLiteral("Single Words"), central_);
    check2_->setObjectName(QStringLiteral("Check2"));
    connect(check2_, &QCheckBox::clicked, this, [this](bool ticked) { st_.win.check2 = ticked; });
    progress_ = new ProgressBar(central_);

    langs->addWidget(label1);
    langs->addWidget(label4_[0]);
    langs->addWidget(p4_[0]);
    langs->addSpacing(16);
    langs->addWidget(label6);
    langs->addWidget(label4_[1]);
    langs->addWidget(p4_[1]);
    langs->addSpacing(8);
    langs->addWidget(label5_);
    langs->addSpacing(8);
    langs->addWidget(check3_);
    langs->addWidget(check2_);
    langs->addStretch(1);
    langs->addWidget(progress_);
    outer->addLayout(langs);

    // Survey, search and hand-off.
    auto* tools = new QHBoxLayout;
    command9_ = new QPushButton(QStringLiteral("Check Which Languages"), central_);
    command9_->setObjectName(QStringLiteral("Command9"));
    text2_ = new QLineEdit(central_);
    text2_->setObjectName(QStringLiteral("Text2"));
    text2_->setMaximumWidth(220);
    connect(text2_, &QLineEdit::textEdited, this, [this](const QString& text) {
        st_.win.search = encode(text, codepage_for_code(st_.fromlang));
    });
    command8_ = new QPushButton(QStringLiteral("Search"), central_);
    command8_->setObjectName(QStringLiteral("Command8"));
    command6_ = new QPushButton(QStringLiteral("Export to Stylora5"), central_);
    command6_->setObjectName(QStringLiteral("Command6"));
    // "Check Which Languages", "Search" and "Export to Stylora5" are connected when their
    // actions are built.
    tools->addWidget(command9_);
    tools->addSpacing(16);
    tools->addWidget(text2_);
    tools->addWidget(command8_);
    tools->addStretch(1);
    tools->addWidget(command6_);
    outer->addLayout(tools);

    // The three panes.
    auto* panesRow = new QHBoxLayout;
    panesRow->setSpacing(8);
    const char* heads[3] = {"Polygons:", "Lines:", "Pois:"};
    for (int k = 0; k < 3; ++k) {
        const auto K = std::size_t(k);
        auto* column = new QVBoxLayout;
        column->setSpacing(4);
        auto* head = new QHBoxLayout;
        head->setSpacing(4);
        label2_[K] = new QLabel(QString::fromLatin1(heads[k]), central_);
        label2_[K]->setObjectName(QStringLiteral("Label2_%1").arg(k));
        QFont bold = label2_[K]->font();
        bold.setBold(true);
        label2_[K]->setFont(bold);

        translateStop_[K] = new QStackedWidget(central_);
        command7_[K] = new QPushButton(QStringLiteral("Translate"), translateStop_[K]);
        command7_[K]->setObjectName(QStringLiteral("Command7_%1").arg(k));
        command5_[K] = new QPushButton(QStringLiteral("STOP"), translateStop_[K]);
        command5_[K]->setObjectName(QStringLiteral("Command5_%1").arg(k));
        translateStop_[K]->addWidget(command7_[K]);
        translateStop_[K]->addWidget(command5_[K]);
        translateStop_[K]->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        translateStop_[K]->setFixedSize(command7_[K]->sizeHint());
        QSizePolicy keep = translateStop_[K]->sizePolicy();
        keep.setRetainSizeWhenHidden(true);
        translateStop_[K]->setSizePolicy(keep);
        connect(command7_[K], &QPushButton::clicked, this,
                [this, k] { act([&] { Command7_Click(st_, *ui_, *translator_, k); }); });
        // STOP stays live while a run owns the window.
        connect(command5_[K], &QPushButton::clicked, this, [this, k] {
            Command5_Click(st_, k);
            showState();
        });

        label3_[K] = new QPushButton(QStringLiteral("Check Errors"), central_);
        label3_[K]->setObjectName(QStringLiteral("Label3_%1").arg(k));
        QSizePolicy keep3 = label3_[K]->sizePolicy();
        keep3.setRetainSizeWhenHidden(true);
        label3_[K]->setSizePolicy(keep3);
        label3_[K]->hide();
        connect(label3_[K], &QPushButton::clicked, this,
                [this, k] { act([&] { Label3_Click(st_, *ui_, *translator_, k); }); });

        command3_[K] = new QPushButton(QStringLiteral("Clr"), central_);
        command3_[K]->setObjectName(QStringLiteral("Command3_%1").arg(k));
        command3_[K]->setMaximumWidth(44);
        // "Clr" is connected when clearing a pane is built.

        head->addWidget(label2_[K]);
        head->addStretch(1);
        head->addWidget(label3_[K]);
        head->addWidget(translateStop_[K]);
        head->addWidget(command3_[K]);
        column->addLayout(head);

        panes_[K] = new PaneView(st_, k, central_);
        connect(panes_[K], &PaneView::sourcePressed, this, [this](int) { hideLanguageLists(); });
        connect(panes_[K], &PaneView::targetPressed, this, [this](int kind) {
            if (kind == kPolygons) hideLanguageLists();
        });
        connect(panes_[K], &PaneView::questionTyped, this,
                [this](int kind) { onQuestionTyped(kind); });
        column->addWidget(panes_[K], 1);
        panesRow->addLayout(column, 1);
    }
    outer->addLayout(panesRow, 1);

    for (auto* list : list4_) list->raise();
}

bool MainWindow::locked() const {
    return acting_ > 0 || st_.win.running;
}

void MainWindow::act(const std::function<void()>& action) {
    if (acting_ > 0) return;
    // The controls are disabled while the action runs; a control that loses the keyboard
    // that way would hand it to the first row of a pane, so park it and give it back after.
    QPointer<QWidget> focus = QApplication::focusWidget();
    if (focus && !qobject_cast<QLineEdit*>(focus.data()))
        focus->clearFocus();
    else
        focus = nullptr;
    ++acting_;
    showState();
    try {
        action();
    } catch (const std::exception& e) {
        // Nothing a routine meets may end the program with the user's rows in it.
        ui_->message(e.what());
    }
    --acting_;
    showState();
    if (focus && focus->isVisible() && focus->isEnabled() && !QApplication::focusWidget())
        focus->setFocus(Qt::OtherFocusReason);
    closeWhenIdle();
}

void MainWindow::closeWhenIdle() {
    if (!closePending_ || locked()) return;
    closePending_ = false;
    QTimer::singleShot(0, this, [this] { close(); });
}

void MainWindow::refreshModel(int kind) {
    if (kind == -1) {
        for (auto* pane : panes_) pane->rebuild();
    } else if (kind >= 0 && kind < kKinds) {
        panes_[std::size_t(kind)]->rebuild();
    }
    showState();
    closeWhenIdle();
}

void MainWindow::showState() {
    const Window& w = st_.win;
    const bool free = !locked();
    setWindowTitle(qs(w.title));

    for (int i = 0; i < 2; ++i) {
        const auto I = std::size_t(i);
        label4_[I]->setText(qs(w.label4[I]));
        p4_[I]->setEnabled(free);
        QListWidget* list = list4_[I];
        list->setEnabled(free);
        const int row = w.list4[I];
        if (list->currentRow() != row) {
            const QSignalBlocker block(list);
            list->setCurrentRow(row >= 0 && row < list->count() ? row : -1);
        }
        const bool show = w.list4_visible[I];
        if (show != list->isVisibleTo(this)) {
            // An open list takes the keyboard; a closing one hands it back to its button.
            if (!show && list->hasFocus()) list->clearFocus();
            list->setVisible(show);
            if (show) list->setFocus(Qt::OtherFocusReason);
        }
    }
    placeLists();
    label5_->setText(qs(w.label5));
    {
        const QSignalBlocker b3(check3_);
        check3_->setChecked(w.check3);
        const QSignalBlocker b2(check2_);
        check2_->setChecked(w.check2);
    }
    check3_->setEnabled(free);
    check2_->setEnabled(free);
    progress_->setValue(w.progress);

    for (int k = 0; k < 3; ++k) {
        const auto K = std::size_t(k);
        const Pane& pane = st_.pane(k);
        label2_[K]->setText(qs(w.label2[K]));
        translateStop_[K]->setCurrentIndex(pane.stop_visible ? 1 : 0);
        translateStop_[K]->setVisible(pane.stop_visible || pane.translate_visible);
        command7_[K]->setEnabled(free);
        command5_[K]->setEnabled(true);
        label3_[K]->setVisible(pane.check_errors_visible);
        label3_[K]->setEnabled(free);
        command3_[K]->setEnabled(free && built::kClear);
        panes_[K]->setLocked(!free);
    }

    // Menus: the titles follow the lock, the items what is built.
    mfile_->menuAction()->setEnabled(free);
    med_->menuAction()->setEnabled(free);
    mclr_->menuAction()->setEnabled(free);
    mtools_->menuAction()->setEnabled(free);
    mf_[kOpenList]->setEnabled(built::kOpenList);
    mf_[kSave]->setEnabled(built::kSave);
    mf_[kSaveAs]->setEnabled(built::kSave);
    mf_[kSaveList]->setEnabled(built::kSaveList);
    for (int i = 0; i < 6; ++i) {
        QAction* a = mf_[std::size_t(kRecentFirst + i)];
        const std::string& path = w.recent[std::size_t(i)];
        a->setText(menuText(path));
        a->setVisible(!path.empty());
        a->setEnabled(w.recent_enabled[std::size_t(i)]);
    }
    for (QAction* a : mclrc_) a->setEnabled(built::kClear);
    for (QAction* a : md_) a->setEnabled(built::kEditStrings);
    for (QAction* a : mtls_) a->setEnabled(built::kTools);
    for (QAction* a : mhlp_) a->setEnabled(built::kHelp);
    command9_->setEnabled(free && built::kSurvey);
    command8_->setEnabled(free && built::kSearch);
    command6_->setEnabled(free && built::kExport);
    text2_->setEnabled(free);
    const QString search = decode(w.search, codepage_for_code(st_.fromlang));
    if (text2_->text() != search) text2_->setText(search);
}

void MainWindow::placeLists() {
    for (int i = 0; i < 2; ++i) {
        QListWidget* list = list4_[std::size_t(i)];
        if (list->isHidden()) continue;
        QLabel* under = label4_[std::size_t(i)];
        const QPoint at = under->mapTo(central_, QPoint(0, under->height()));
        const int rowHeight = list->sizeHintForRow(0) > 0 ? list->sizeHintForRow(0) : 18;
        const int wanted = rowHeight * list->count() + 2 * list->frameWidth() + 2;
        const int room = std::max(80, central_->height() - at.y() - 4);
        list->setGeometry(at.x(), at.y(), std::max(under->width() + p4_[0]->width(), 170),
                          std::min(wanted, room));
        list->raise();
    }
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    placeLists();
}

void MainWindow::hideLanguageLists() {
    if (!st_.win.list4_visible[0] && !st_.win.list4_visible[1]) return;
    invisl4(st_);
    showState();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == central_ && event->type() == QEvent::MouseButtonPress) hideLanguageLists();
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::onFileItem(int item) {
    bool exit = false;
    act([&] { exit = mf_click(st_, *ui_, item); });
    if (exit) close();
}

void MainWindow::onLanguagePressed(int list, int row) {
    if (locked()) return;
    act([&] {
        st_.win.list4[std::size_t(list)] = row;
        List4_MouseDown(st_, *ui_, list);
    });
}

void MainWindow::onQuestionTyped(int kind) {
    Pane& pane = st_.pane(kind);
    if (pane.check_errors_visible) return;
    pane.check_errors_visible = true;
    showState();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (locked()) {
        // A long operation owns the document: ask it to stop and close when it has.
        st_.stopflag = true;
        closePending_ = true;
        event->ignore();
        return;
    }
    invisl4(st_);
    bool stay = false;
    act([&] {
        stay = chksav(st_, *ui_);
        if (!stay) savedata(st_, *ui_);
    });
    if (stay)
        event->ignore();
    else
        event->accept();
}

} // namespace lex
