// A Qt plugin the launch benchmark loads into both programs it times
// (QT_QPA_GENERIC_PLUGINS=tvlaunchstamp): once the first window has painted
// and the display server has taken its pixels, it writes the monotonic clock
// in nanoseconds and the window's class to the file named by
// TARVOLIN_LAUNCH_STAMP, and ends the program.
#include <QCoreApplication>
#include <QEvent>
#include <QGenericPlugin>
#include <QGuiApplication>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

namespace {

class Sello final : public QObject {
public:
    bool eventFilter(QObject* objeto, QEvent* evento) override {
        if (!visto_ && evento->type() == QEvent::Paint && objeto->isWidgetType()) {
            const QWidget* ventana = static_cast<QWidget*>(objeto)->window();
            if (ventana->isVisible()) {
                visto_ = true;
                clase_ = ventana->metaObject()->className();
                // After this paint and the flush that follows it.
                QTimer::singleShot(0, this, [this] { Marcar(); });
            }
        }
        return false;
    }

private:
    void Marcar() {
        QGuiApplication::sync();  // a round trip: the server has drawn what was sent
        timespec ahora{};
        clock_gettime(CLOCK_MONOTONIC, &ahora);
        if (const char* ruta = std::getenv("TARVOLIN_LAUNCH_STAMP")) {
            if (std::FILE* f = std::fopen(ruta, "w")) {
                std::fprintf(f, "%lld %s\n", static_cast<long long>(ahora.tv_sec) * 1000000000LL + ahora.tv_nsec,
                             clase_.c_str());
                std::fclose(f);
            }
        }
        QCoreApplication::quit();
    }

    bool visto_ = false;
    std::string clase_;
};

}  // namespace

class LaunchStampPlugin final : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "launch_stamp.json")

public:
    QObject* create(const QString&, const QString&) override {
        auto* sello = new Sello;
        QCoreApplication::instance()->installEventFilter(sello);
        return sello;
    }
};

#include "launch_stamp.moc"
