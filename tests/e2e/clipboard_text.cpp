// Prints the text of the X clipboard, or with the argument "selection" the
// text a person last selected (what a middle click would paste): the
// person-level test reads texts of the program's window as a person copies them.
#include <QClipboard>
#include <QGuiApplication>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const bool selection = argc > 1 && std::strcmp(argv[1], "selection") == 0;
    const QString text =
        QGuiApplication::clipboard()->text(selection ? QClipboard::Selection : QClipboard::Clipboard);
    std::fputs(text.toUtf8().constData(), stdout);
    return 0;
}
