#pragma once
// The main window: menus, language choice, the three panes and the controls above them.
// It shows the window model of State and writes the user's input back into it; every
// behaviour lives in core routines that it calls.

#include "document/state.h"
#include "document/ui.h"

#include <QMainWindow>

#include <array>
#include <functional>
#include <memory>

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QStackedWidget;
class QToolButton;

namespace lex {

class PaneView;
class ProgressBar;
class Translator;

// Message boxes, file dialogs and the rest of Ui for a window. The dialogs may be handed to
// another Ui (tests script them); events, the busy pointer and redrawing stay with the window.
class QtUi : public Ui {
public:
    explicit QtUi(QWidget* owner, Ui* dialogs = nullptr) : owner_(owner), dialogs_(dialogs) {}
    void message(const std::string& text) override;
    bool ask(const std::string& text) override;
    std::string choose_file(const FileRequest& request) override;
    void process_events() override;
    void busy(bool on) override;
    void refresh(int kind) override;
    void view_file(const std::string& path) override;
    void start_program(const std::string& program, const std::string& argument) override;
    void open_url(const std::string& url) override;

    void set_dialogs(Ui* dialogs) { dialogs_ = dialogs; }
    void set_refresh(std::function<void(int)> refresh) { refresh_ = std::move(refresh); }

private:
    QWidget* owner_;
    Ui* dialogs_;
    std::function<void(int)> refresh_;
    int busyDepth_ = 0;
};

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // Runs the start-up sequence for the program folder and `commandLine` (a document path,
    // taken whole). `dialogs`, when given, answers every message box and file dialog.
    explicit MainWindow(const std::string& commandLine, Ui* dialogs = nullptr,
                        QWidget* parent = nullptr);
    ~MainWindow() override;

    State& state() { return st_; }
    Ui& ui() { return *ui_; }

    // Re-reads the model: -2 title, captions, buttons and progress; -1 everything;
    // 0..2 that pane's rows (and the captions).
    void refreshModel(int kind);
    void showState();

    // True while an action or a long operation (st.win.running) owns the document: the
    // menus, the language choice, "0x00" and the panes' buttons except "STOP" are disabled,
    // and closing the window waits for the operation to end.
    bool locked() const;

    // For tests.
    PaneView* pane(int kind) const { return panes_[std::size_t(kind)]; }
    QListWidget* languageList(int list) const { return list4_[std::size_t(list)]; }
    QToolButton* dropButton(int list) const { return p4_[std::size_t(list)]; }
    QCheckBox* zeroBox() const { return check3_; }
    QLabel* languageCaption(int list) const { return label4_[std::size_t(list)]; }
    QPushButton* translateButton(int kind) const { return command7_[std::size_t(kind)]; }
    QPushButton* stopButton(int kind) const { return command5_[std::size_t(kind)]; }
    QPushButton* checkErrorsButton(int kind) const { return label3_[std::size_t(kind)]; }
    QLabel* countCaption(int kind) const { return label2_[std::size_t(kind)]; }
    QAction* fileItem(int item) const { return mf_[std::size_t(item)]; }
    QMenu* fileMenu() const { return mfile_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildMenus();
    void buildControls();
    // Runs one user action with the document locked against re-entry from nested event
    // loops; ignored while another action runs.
    void act(const std::function<void()>& action);
    void applyLock();
    void placeLists();
    void closeWhenIdle();
    void onFileItem(int item);
    void onLanguagePressed(int list, int row);
    void onQuestionTyped(int kind);
    void hideLanguageLists();

    State st_;
    std::unique_ptr<QtUi> ui_;
    std::unique_ptr<Translator> translator_;
    int acting_ = 0;
    bool closePending_ = false;
    bool started_ = false;

    // Menus.
    QMenu* mfile_ = nullptr;
    QMenu* mclr_ = nullptr;
    QMenu* med_ = nullptr;
    QMenu* mtools_ = nullptr;
    QMenu* mhelp_ = nullptr;
    std::array<QAction*, 16> mf_{};
    std::array<QAction*, 3> mclrc_{};
    std::array<QAction*, 6> md_{};
    std::array<QAction*, 10> mtls_{};
    std::array<QAction*, 3> mhlp_{};

    // Controls above the panes.
    QWidget* central_ = nullptr;
    std::array<QLabel*, 2> label4_{};
    std::array<QToolButton*, 2> p4_{};
    std::array<QListWidget*, 2> list4_{};
    QLabel* label5_ = nullptr;
    QCheckBox* check3_ = nullptr;
    QCheckBox* check2_ = nullptr;
    QPushButton* command9_ = nullptr;
    QPushButton* command8_ = nullptr;
    QLineEdit* text2_ = nullptr;
    QPushButton* command6_ = nullptr;
    ProgressBar* progress_ = nullptr;

    // Per pane.
    std::array<PaneView*, 3> panes_{};
    std::array<QLabel*, 3> label2_{};
    std::array<QStackedWidget*, 3> translateStop_{};
    std::array<QPushButton*, 3> command7_{};
    std::array<QPushButton*, 3> command5_{};
    std::array<QPushButton*, 3> label3_{};
    std::array<QPushButton*, 3> command3_{};
};

} // namespace lex
