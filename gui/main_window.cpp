#include "gui/main_window.h"

#include "commands/settings.h"
#include "commands/startup.h"
#include "commands/translation_service.h"
#include "document/file_writer.h"
#include "gui/pane_view.h"
#include "translate/hunspell_checker.h"
#include "translate/memory_pairs.h"
#include "translate/spelling.h"
#include "translate/translator.h"
#include "view/window_state.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>

#include <exception>

namespace lex {

MainWindow::MainWindow(const Folders& folders, const std::string& commandLine, Ui* dialogs,
                       QWidget* parent)
    : QMainWindow(parent), ui_(std::make_unique<QtUi>(this, dialogs)) {
    ui_->set_refresh([this](RefreshTarget target) { refreshModel(target); });
    translator_ = make_web_translator(*ui_);
    spelling_ = system_spelling_dictionaries();
    memory_ = std::make_unique<MemoryKeeper>(label_codec());
    buildMenus();
    buildControls();
    buildReview();
    resize(960, 720);
    act([&] {
        startup(st_, *ui_, folders, commandLine, [](const State& st) {
            // The engine translates unless a service was chosen or the environment names a page.
            const ServiceSettings services = read_service_settings(service_settings_path(st));
            if (st.kept.url_overridden ||
                (services.chosen && services.kind != ServiceKind::kOfflineEngine))
                return std::vector<EngineStep>{};
            return engine_directions(offline_engine_pairs());
        });
        st_.file_writer = &qt_file_writer(); // saves go through QSaveFile
        useServices(read_service_settings(service_settings_path(st_)));
    });
    offerRecovery();
    refreshModel(RefreshTarget::everything());
}

MainWindow::~MainWindow() {
    // A learning still under way is stopped; it leaves the memory as it was.
    memory_->background().stop();
    ui_->set_refresh(nullptr);
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
        ui_->message({MessageId::kError, e.what()});
    }
    --acting_;
    followDocument();
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

void MainWindow::refreshModel(RefreshTarget target) {
    using Rows = RefreshTarget::Rows;
    if (target.rows == Rows::kAllPanes) {
        for (auto* pane : panes_) pane->rebuild();
    } else if (target.rows == Rows::kPane) {
        panes_[std::size_t(target.pane)]->rebuild();
    }
    showState();
    closeWhenIdle();
}

void MainWindow::showState() {
    const bool free = !locked();
    setWindowTitle(QString::fromStdString(st_.win.title));
    if (serviceCaption_) serviceCaption_->setText(QString::fromStdString(service_status(st_)));
    showControls(free);
    showMenus(free);
    showReview();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    placeLists();
    showReview();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == central_ && event->type() == QEvent::MouseButtonPress) hideLanguageLists();
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (locked()) {
        // A long operation owns the document: ask it to stop and close when it has.
        st_.stop_requested = true;
        closePending_ = true;
        event->ignore();
        return;
    }
    close_language_lists(st_);
    bool stay = false;
    act([&] {
        stay = wants_to_save_first(st_, *ui_);
        if (!stay) write_settings(st_, *ui_);
    });
    if (stay) {
        event->ignore();
        return;
    }
    // Closed on purpose: nothing is left to recover, and the style opened last is learnt whole.
    recovery_.remove();
    memory_->background().wait();
    event->accept();
}

} // namespace lex
