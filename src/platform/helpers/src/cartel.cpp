#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

#include "helpers/helpers.h"
#include "ui/msgbox.h"

namespace helpers {

namespace {

QString ToQ(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

bool HaveWindows() { return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr; }

QLabel* Line(QWidget* window, const char* name) { return window->findChild<QLabel*>(name); }

}  // namespace

// The notice is a frameless window that stays on top, with the title in bold
// and two lines under it. Without a QApplication every call does nothing.
ClsCartel::~ClsCartel() {
    // The single instance outlives the QApplication; a widget can only be
    // deleted while the application exists.
    if (HaveWindows()) CierraCartel();
}

void ClsCartel::AbreCartel(std::string_view titulo, bool /*flag*/) {
    if (!HaveWindows()) return;
    if (!window_) {
        window_ = new QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        window_->setObjectName("Cartel");
        window_->setAttribute(Qt::WA_ShowWithoutActivating);
        auto* layout = new QVBoxLayout(window_);
        for (const char* name : {"Titulo", "Linea1", "Linea2"}) {
            auto* label = new QLabel(window_);
            label->setObjectName(name);
            label->setMinimumWidth(320);
            layout->addWidget(label);
        }
        QFont bold = Line(window_, "Titulo")->font();
        bold.setBold(true);
        Line(window_, "Titulo")->setFont(bold);
        window_->setStyleSheet("QWidget#Cartel { border: 1px solid palette(dark); }");
    }
    Line(window_, "Titulo")->setText(ToQ(titulo));
    Line(window_, "Linea1")->clear();
    Line(window_, "Linea2")->clear();
    window_->show();
    window_->raise();
    ui::DoEvents();  // let the new window appear
}

void ClsCartel::ActualizaCartel(bool flag, std::string_view titulo, std::string_view linea1,
                                std::string_view linea2) {
    if (!HaveWindows()) return;
    if (!window_) AbreCartel(titulo, flag);
    Line(window_, "Titulo")->setText(ToQ(titulo));
    Line(window_, "Linea1")->setText(ToQ(linea1));
    Line(window_, "Linea2")->setText(ToQ(linea2));
    window_->repaint();  // callers are busy; paint now without running other events
}

void ClsCartel::CierraCartel() {
    delete window_;
    window_ = nullptr;
}

bool ClsCartel::Abierto() const { return window_ != nullptr; }

ClsCartel& gCartel() {
    static ClsCartel instance;
    return instance;
}

}  // namespace helpers
