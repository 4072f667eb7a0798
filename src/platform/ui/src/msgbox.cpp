#include "ui/msgbox.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QEventLoop>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QString>
#include <QWidget>
#include <algorithm>
#include <stdexcept>
#include <utility>

#include "vb/error.h"

namespace ui {

namespace {

std::string EffectiveTitle(const std::string& title) { return title.empty() ? kDefaultTitle : title; }

// Only a QApplication can show widgets; a bare QCoreApplication cannot.
void RequireWidgets(const char* what, const std::string& title) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        throw vb::Error(vb::kErrInternal,
                        std::string("Cannot show ") + what + " \"" + title + "\": the program has no windows",
                        vb::kDefaultSource);
    }
}

struct ButtonSet {
    // In the order the runtime numbers them for vbDefaultButtonN.
    std::vector<std::pair<QMessageBox::StandardButton, int>> buttons;
    int fallback;  // answer when the box closes without a button
};

ButtonSet ButtonsOf(int style) {
    switch (style & 7) {
    case vbOKCancel:
        return {{{QMessageBox::Ok, vbOK}, {QMessageBox::Cancel, vbCancel}}, vbCancel};
    case vbAbortRetryIgnore:
        return {{{QMessageBox::Abort, vbAbort}, {QMessageBox::Retry, vbRetry}, {QMessageBox::Ignore, vbIgnore}},
                vbAbort};
    case vbYesNoCancel:
        return {{{QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}, {QMessageBox::Cancel, vbCancel}}, vbCancel};
    case vbYesNo:
        return {{{QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}}, vbNo};
    case vbRetryCancel:
        return {{{QMessageBox::Retry, vbRetry}, {QMessageBox::Cancel, vbCancel}}, vbCancel};
    default:
        return {{{QMessageBox::Ok, vbOK}}, vbOK};
    }
}

QMessageBox::Icon IconOf(int style) {
    switch (style & 0x70) {
    case vbCritical: return QMessageBox::Critical;
    case vbQuestion: return QMessageBox::Question;
    case vbExclamation: return QMessageBox::Warning;
    case vbInformation: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

// Ends a local event loop when the watched widget is hidden by the program
// (not when the window manager minimises it).
class HideWatcher : public QObject {
public:
    explicit HideWatcher(QEventLoop& loop) : loop_(loop) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Hide && !event->spontaneous()) loop_.quit();
        return QObject::eventFilter(watched, event);
    }

private:
    QEventLoop& loop_;
};

// The normal pointer for a dialog's life, over a wait cursor the program set.
class NormalPointer {
public:
    NormalPointer() : pushed_(QApplication::overrideCursor() != nullptr) {
        if (pushed_) QApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    ~NormalPointer() {
        if (pushed_) QApplication::restoreOverrideCursor();
    }
    NormalPointer(const NormalPointer&) = delete;
    NormalPointer& operator=(const NormalPointer&) = delete;

private:
    bool pushed_;
};

// How much of a text a box shows: lines of up to this many characters (a
// longer one wraps into several), and at most this many such lines, so that
// the box and its buttons fit on a screen of 600 pixels.
constexpr int kCaracteresPorLinea = 60;
constexpr int kLineasEnPantalla = 20;

bool FinDeLinea(QChar c) { return c == u'\n' || c == u'\r'; }

// The text with a place to wrap (an invisible zero-width space) in every run
// of this many characters without a blank, so that a long path or name
// wraps within the box instead of widening it past the screen.
QString ConCortesDeLinea(const QString& texto) {
    QString con;
    con.reserve(texto.size() + texto.size() / kCaracteresPorLinea);
    int seguidos = 0;
    for (const QChar c : texto) {
        if (c.isSpace()) seguidos = 0;
        else if (++seguidos > kCaracteresPorLinea && !c.isLowSurrogate()) {
            con += QChar(0x200B);
            seguidos = 1;
        }
        con += c;
    }
    return con;
}

}  // namespace

BoxText FitToScreen(const std::string& prompt, const std::string& details) {
    const QString texto = QString::fromStdString(prompt);
    int lineas = 0;
    qsizetype inicio = 0;  // of the next line; past the end once every line fits
    qsizetype corte = 0;   // the characters shown
    while (inicio < texto.size()) {
        qsizetype fin = inicio;
        while (fin < texto.size() && !FinDeLinea(texto[fin])) ++fin;
        const qsizetype largo = fin - inicio;
        const qsizetype cabe = static_cast<qsizetype>(kLineasEnPantalla - lineas) * kCaracteresPorLinea;
        if (largo > cabe) {
            corte = inicio + cabe;
            break;
        }
        lineas += std::max<int>(1, static_cast<int>((largo + kCaracteresPorLinea - 1) / kCaracteresPorLinea));
        // A line ends at "\r\n" as at either alone.
        inicio = fin + (fin + 1 < texto.size() && texto[fin] == u'\r' && texto[fin + 1] == u'\n' ? 2 : 1);
        corte = std::min(inicio, texto.size());
        if (lineas >= kLineasEnPantalla) break;
    }
    if (corte >= texto.size()) return {prompt, details};
    if (texto[corte - 1].isHighSurrogate()) --corte;  // never half a character
    const QString nota = QStringLiteral("…\n\n(Texto cortado: se muestran %1 de %2 caracteres; el texto completo "
                                        "está en los detalles.)")
                             .arg(corte)
                             .arg(texto.size());
    std::string completo = prompt;
    if (!details.empty()) completo += "\n\n" + details;
    return {(texto.left(corte) + nota).toStdString(), std::move(completo)};
}

namespace {

// The operator backed by Qt's dialogs.
class QtOperator final : public Operator {
public:
    int MsgBox(const std::string& prompt, int style, const std::string& title, const std::string& details) override {
        RequireWidgets("the message", title);
        const NormalPointer pointer;
        QMessageBox box(QApplication::activeWindow());
        box.setWindowTitle(QString::fromStdString(title));
        box.setTextFormat(Qt::PlainText);
        const BoxText shown = FitToScreen(prompt, details);
        box.setText(ConCortesDeLinea(QString::fromStdString(shown.prompt)));
        if (!shown.details.empty()) box.setDetailedText(QString::fromStdString(shown.details));
        box.setIcon(IconOf(style));
        const ButtonSet set = ButtonsOf(style);
        std::vector<QPushButton*> pushButtons;
        for (const auto& [button, answer] : set.buttons) pushButtons.push_back(box.addButton(button));
        const std::size_t defaultIndex = static_cast<std::size_t>((style >> 8) & 3);
        box.setDefaultButton(pushButtons[defaultIndex < pushButtons.size() ? defaultIndex : 0]);
        box.exec();
        const QAbstractButton* clicked = box.clickedButton();
        for (std::size_t i = 0; i < pushButtons.size(); ++i) {
            if (clicked == pushButtons[i]) return set.buttons[i].second;
        }
        return set.fallback;
    }

    std::optional<std::string> InputBox(const std::string& prompt, const std::string& title,
                                        const std::string& defaultText) override {
        RequireWidgets("the input box", title);
        const NormalPointer pointer;
        QInputDialog dialog(QApplication::activeWindow());
        dialog.setWindowTitle(QString::fromStdString(title));
        dialog.setLabelText(QString::fromStdString(prompt));
        dialog.setTextValue(QString::fromStdString(defaultText));
        if (dialog.exec() != QDialog::Accepted) return std::nullopt;
        return dialog.textValue().toStdString();
    }

    void ShowModal(QWidget& form) override {
        RequireWidgets("the form", form.windowTitle().toStdString());
        const NormalPointer pointer;
        if (auto* dialog = qobject_cast<QDialog*>(&form)) {
            dialog->exec();
            return;
        }
        QPointer<QWidget> guard(&form);
        if (!form.isWindow()) form.setWindowFlag(Qt::Window, true);
        if (form.isVisible()) form.hide();  // modality only takes effect on show
        form.setWindowModality(Qt::ApplicationModal);
        QEventLoop loop;
        HideWatcher watcher(loop);
        form.installEventFilter(&watcher);
        QObject::connect(&form, &QObject::destroyed, &loop, &QEventLoop::quit);
        form.show();
        if (guard && guard->isVisible()) loop.exec(QEventLoop::DialogExec);
        if (guard) guard->removeEventFilter(&watcher);
    }

    void DoEvents() override {
        if (QCoreApplication::instance()) QCoreApplication::processEvents();
    }

    // A busy bar under the prompt and "Cancelar", over every other window
    // of the program; the events are pumped at each call, so that it paints
    // and its button answers.
    bool Waiting(const std::string& prompt, const std::string& title) override {
        RequireWidgets("the wait notice", title);
        if (!notice_) {
            notice_ = new QProgressDialog;
            notice_->setWindowTitle(QString::fromStdString(title));
            notice_->setCancelButtonText(QStringLiteral("Cancelar"));
            notice_->setRange(0, 0);
            notice_->setMinimumDuration(0);
            notice_->setAutoReset(false);
            notice_->setAutoClose(false);
            notice_->setWindowModality(Qt::ApplicationModal);
        }
        const QString text = QString::fromStdString(prompt);
        if (notice_->labelText() != text) notice_->setLabelText(text);
        if (!notice_->isVisible()) notice_->show();
        QCoreApplication::processEvents();
        return notice_ && !notice_->wasCanceled();
    }

    void WaitOver() override { delete notice_; }

private:
    QPointer<QProgressDialog> notice_;
};

QtOperator& QtOp() {
    static QtOperator op;
    return op;
}

Operator* g_current = nullptr;  // nullptr: the Qt operator

std::string Describe(const char* kind, const std::string& title, const std::string& prompt) {
    return std::string("ScriptedOperator: no answer queued for ") + kind + " \"" + title + "\": " + prompt;
}

}  // namespace

int MsgBox(const std::string& prompt, int style, const std::string& title, const std::string& details) {
    return CurrentOperator().MsgBox(prompt, style, EffectiveTitle(title), details);
}

std::string InputBox(const std::string& prompt, const std::string& title, const std::string& defaultText) {
    return CurrentOperator().InputBox(prompt, EffectiveTitle(title), defaultText).value_or(std::string());
}

void ShowModal(QWidget& form) { CurrentOperator().ShowModal(form); }

void DoEvents() { CurrentOperator().DoEvents(); }

bool Waiting(const std::string& prompt, const std::string& title) {
    return CurrentOperator().Waiting(prompt, EffectiveTitle(title));
}

void WaitOver() { CurrentOperator().WaitOver(); }

// The display gets the new pointer at once (the platform sends it as it is
// set); nothing else waiting to be drawn is drawn for it, so that a window
// changed before a statement is drawn once, when the statement is done.
WaitCursor::WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }

WaitCursor::~WaitCursor() { QApplication::restoreOverrideCursor(); }

Operator& CurrentOperator() {
    if (g_current) return *g_current;
    return QtOp();
}

void SetOperator(Operator* op) { g_current = op; }

// ---- ScriptedOperator ----

ScriptedOperator::ScriptedOperator() : previous_(g_current) { g_current = this; }

ScriptedOperator::~ScriptedOperator() {
    // Restore only when still current, so that nested operators unwind in order.
    if (g_current == this) g_current = previous_;
}

ScriptedOperator& ScriptedOperator::AnswerMsgBox(int answer) {
    msgAnswers_.push_back(answer);
    return *this;
}

ScriptedOperator& ScriptedOperator::AnswerInputBox(std::optional<std::string> text) {
    inputAnswers_.push_back(std::move(text));
    return *this;
}

ScriptedOperator& ScriptedOperator::OnModal(std::function<void(QWidget&)> action) {
    modalActions_.push_back(std::move(action));
    return *this;
}

ScriptedOperator& ScriptedOperator::GiveUpWaitingAfter(int notices) {
    giveUps_.push_back(notices);
    return *this;
}

std::size_t ScriptedOperator::PendingAnswers() const {
    return msgAnswers_.size() + inputAnswers_.size() + modalActions_.size() + giveUps_.size();
}

int ScriptedOperator::MsgBox(const std::string& prompt, int style, const std::string& title,
                             const std::string& details) {
    shown_.push_back({"MsgBox", title, prompt, style, details});
    if (msgAnswers_.empty()) throw std::logic_error(Describe("MsgBox", title, prompt));
    const int answer = msgAnswers_.front();
    msgAnswers_.pop_front();
    return answer;
}

std::optional<std::string> ScriptedOperator::InputBox(const std::string& prompt, const std::string& title,
                                                      const std::string& /*defaultText*/) {
    shown_.push_back({"InputBox", title, prompt, 0, {}});
    if (inputAnswers_.empty()) throw std::logic_error(Describe("InputBox", title, prompt));
    std::optional<std::string> answer = std::move(inputAnswers_.front());
    inputAnswers_.pop_front();
    return answer;
}

// The form is shown (so that its show handling runs), the queued action acts on
// it, and a form the action left open is hidden, since no one else would.
void ScriptedOperator::ShowModal(QWidget& form) {
    const std::string title = form.windowTitle().toStdString();
    shown_.push_back({"ShowModal", title, form.objectName().toStdString(), 0, {}});
    if (modalActions_.empty()) throw std::logic_error(Describe("ShowModal", title, form.objectName().toStdString()));
    std::function<void(QWidget&)> action = std::move(modalActions_.front());
    modalActions_.pop_front();
    QPointer<QWidget> guard(&form);
    form.show();
    if (guard && action) action(*guard);
    if (guard && guard->isVisible()) guard->hide();
}

bool ScriptedOperator::Waiting(const std::string& prompt, const std::string& title) {
    if (!waiting_) {
        waiting_ = true;
        gaveUp_ = false;
        notices_ = 0;
        shown_.push_back({"Waiting", title, prompt, 0, {}});
    }
    if (gaveUp_) return false;
    ++notices_;
    if (!giveUps_.empty() && notices_ >= giveUps_.front()) {
        giveUps_.pop_front();
        gaveUp_ = true;
    }
    return !gaveUp_;
}

void ScriptedOperator::WaitOver() { waiting_ = false; }

void ScriptedOperator::DoEvents() {
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
}

}  // namespace ui
