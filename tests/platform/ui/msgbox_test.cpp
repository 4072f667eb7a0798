#include "ui/msgbox.h"

#include <QAbstractButton>

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>
#include <algorithm>
#include <stdexcept>

#include "ui/language.h"

namespace {

using ui::RecordedBox;

TEST(ScriptedOperator, RecordsEachBoxAndAnswersFromItsQueues) {
    ui::ScriptedOperator op;
    op.AnswerMsgBox(ui::vbNo).AnswerMsgBox(ui::vbRetry).AnswerInputBox("abc").AnswerInputBox(std::nullopt);
    EXPECT_EQ(op.PendingAnswers(), 4u);

    EXPECT_EQ(ui::MsgBox("¿Seguro?", ui::vbYesNo + ui::vbQuestion, "Borrar"), ui::vbNo);
    EXPECT_EQ(ui::MsgBox("Falló"), ui::vbRetry);
    EXPECT_EQ(ui::InputBox("Código", "Buscar", "A1"), "abc");
    EXPECT_EQ(ui::InputBox("Código"), "");  // cancelled
    EXPECT_EQ(op.PendingAnswers(), 0u);

    const std::vector<RecordedBox>& shown = op.Shown();
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[0].kind, "MsgBox");
    EXPECT_EQ(shown[0].title, "Borrar");
    EXPECT_EQ(shown[0].prompt, "¿Seguro?");
    EXPECT_EQ(shown[0].style, ui::vbYesNo + ui::vbQuestion);
    EXPECT_EQ(shown[1].title, ui::kDefaultTitle);  // an empty title means the default one
    EXPECT_EQ(shown[1].style, ui::vbOKOnly);
    EXPECT_EQ(shown[2].kind, "InputBox");
    EXPECT_EQ(shown[2].title, "Buscar");
    EXPECT_EQ(shown[2].prompt, "Código");
    EXPECT_EQ(shown[3].title, ui::kDefaultTitle);
}

TEST(ScriptedOperator, ABoxWithNothingQueuedThrowsNamingTheBox) {
    ui::ScriptedOperator op;
    try {
        ui::MsgBox("Sin respuesta", ui::vbOKOnly, "Aviso");
        FAIL() << "expected std::logic_error";
    } catch (const std::logic_error& e) {
        EXPECT_NE(std::string(e.what()).find("MsgBox"), std::string::npos);
        EXPECT_NE(std::string(e.what()).find("Aviso"), std::string::npos);
        EXPECT_NE(std::string(e.what()).find("Sin respuesta"), std::string::npos);
    }
    EXPECT_THROW(ui::InputBox("Código", "Buscar"), std::logic_error);
    QWidget form;
    form.setWindowTitle("Lista");
    EXPECT_THROW(ui::ShowModal(form), std::logic_error);
    EXPECT_EQ(op.Shown().size(), 3u);  // still recorded
    EXPECT_FALSE(form.isVisible());
}

TEST(ScriptedOperator, InstallsItselfForItsLifetimeAndRestoresThePreviousOperator) {
    ui::Operator& qtOperator = ui::CurrentOperator();
    {
        ui::ScriptedOperator outer;
        EXPECT_EQ(&ui::CurrentOperator(), &outer);
        {
            ui::ScriptedOperator inner;
            EXPECT_EQ(&ui::CurrentOperator(), &inner);
        }
        EXPECT_EQ(&ui::CurrentOperator(), &outer);
    }
    EXPECT_EQ(&ui::CurrentOperator(), &qtOperator);
}

TEST(ScriptedOperator, ShowModalShowsTheFormRunsTheActionAndLeavesItClosed) {
    ui::ScriptedOperator op;
    QDialog dialog;
    dialog.setObjectName("FrmPrueba");
    dialog.setWindowTitle("Prueba");
    bool visibleDuringAction = false;
    op.OnModal([&](QWidget& w) {
        visibleDuringAction = w.isVisible();
        static_cast<QDialog&>(w).accept();
    });
    ui::ShowModal(dialog);
    EXPECT_TRUE(visibleDuringAction);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());

    QWidget form;
    op.OnModal([](QWidget&) {});  // leaves the form open
    ui::ShowModal(form);
    EXPECT_FALSE(form.isVisible());

    ASSERT_EQ(op.Shown().size(), 2u);
    EXPECT_EQ(op.Shown()[0].kind, "ShowModal");
    EXPECT_EQ(op.Shown()[0].title, "Prueba");
    EXPECT_EQ(op.Shown()[0].prompt, "FrmPrueba");
}

// The real operator, driven by a timer that acts on the box once it is up.
class QtOperatorTest : public ::testing::Test {
protected:
    void SetUp() override { ui::SetOperator(nullptr); }

    // Runs `act` on the active modal widget as soon as there is one.
    static void WhenModal(std::function<void(QWidget&)> act) {
        auto* timer = new QTimer;
        QObject::connect(timer, &QTimer::timeout, [timer, act] {
            if (QWidget* w = QApplication::activeModalWidget()) {
                timer->stop();
                timer->deleteLater();
                act(*w);
            }
        });
        timer->start(10);
    }
};

TEST_F(QtOperatorTest, MessageBoxMapsButtonsIconAndDefaultButtonToTheAnswerCodes) {
    struct Case {
        int style;
        int expectedAnswer;  // the default button pressed
        QMessageBox::Icon icon;
        int buttonCount;
    };
    const Case cases[] = {
        {ui::vbOKOnly, ui::vbOK, QMessageBox::NoIcon, 1},
        {ui::vbOKCancel + ui::vbDefaultButton2, ui::vbCancel, QMessageBox::NoIcon, 2},
        {ui::vbAbortRetryIgnore + ui::vbCritical, ui::vbAbort, QMessageBox::Critical, 3},
        {ui::vbAbortRetryIgnore + ui::vbCritical + ui::vbDefaultButton3, ui::vbIgnore, QMessageBox::Critical, 3},
        {ui::vbYesNoCancel + ui::vbQuestion + ui::vbDefaultButton2, ui::vbNo, QMessageBox::Question, 3},
        {ui::vbYesNo + ui::vbExclamation, ui::vbYes, QMessageBox::Warning, 2},
        {ui::vbRetryCancel + ui::vbInformation, ui::vbRetry, QMessageBox::Information, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        QString title, text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        int buttons = 0;
        WhenModal([&](QWidget& w) {
            auto& box = dynamic_cast<QMessageBox&>(w);
            title = box.windowTitle();
            text = box.text();
            EXPECT_EQ(box.textFormat(), Qt::PlainText);
            icon = box.icon();
            buttons = static_cast<int>(box.buttons().size());
            box.defaultButton()->click();
        });
        EXPECT_EQ(ui::MsgBox("<b>texto</b>", c.style, ""), c.expectedAnswer);
        EXPECT_EQ(title.toStdString(), ui::kDefaultTitle);
        EXPECT_EQ(text, "<b>texto</b>");
        EXPECT_EQ(icon, c.icon);
        EXPECT_EQ(buttons, c.buttonCount);
    }
}

// Qt's own buttons speak Spanish once its translation is in.
TEST_F(QtOperatorTest, StandardButtonsReadInSpanish) {
    ASSERT_TRUE(ui::InstallSpanishQtTexts());
    struct Case {
        int style;
        QStringList texts;
    };
    const Case cases[] = {
        {ui::vbYesNo + ui::vbQuestion, {"&Sí", "&No"}},
        {ui::vbOKCancel, {"Aceptar", "Cancelar"}},
        {ui::vbAbortRetryIgnore, {"Interrumpir", "Reintentar", "Ignorar"}},
    };
    for (const Case& c : cases) {
        QStringList texts;
        WhenModal([&](QWidget& w) {
            for (QAbstractButton* button : dynamic_cast<QMessageBox&>(w).buttons()) texts << button->text();
            dynamic_cast<QMessageBox&>(w).defaultButton()->click();
        });
        ui::MsgBox("texto", c.style, "Prueba");
        texts.sort();
        QStringList expected = c.texts;
        expected.sort();
        EXPECT_EQ(texts.join('|').toStdString(), expected.join('|').toStdString());
    }
}

// A long list goes into the details, behind their button; over the program's
// wait cursor the box shows the normal pointer, and the wait cursor comes back.
TEST_F(QtOperatorTest, DetailsAndThePointerWhileTheBoxIsUp) {
    QString details;
    int buttons = 0;
    Qt::CursorShape pointer = Qt::BlankCursor;
    WhenModal([&](QWidget& w) {
        auto& box = dynamic_cast<QMessageBox&>(w);
        details = box.detailedText();
        buttons = static_cast<int>(box.buttons().size());
        pointer = QApplication::overrideCursor()->shape();
        box.defaultButton()->click();
    });
    QApplication::setOverrideCursor(Qt::WaitCursor);
    EXPECT_EQ(ui::MsgBox("1000 comprobantes", ui::vbOKOnly, "Prueba", "A\nB"), ui::vbOK);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    QApplication::restoreOverrideCursor();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(details, "A\nB");
    EXPECT_EQ(buttons, 2);  // OK and the details button
    EXPECT_EQ(pointer, Qt::ArrowCursor);

    WhenModal([&](QWidget& w) {
        details = dynamic_cast<QMessageBox&>(w).detailedText();
        dynamic_cast<QMessageBox&>(w).defaultButton()->click();
    });
    ui::MsgBox("sin lista");
    EXPECT_TRUE(details.isEmpty());

    ui::ScriptedOperator op;
    op.AnswerMsgBox(ui::vbOK);
    ui::MsgBox("1000 comprobantes", ui::vbOKOnly, "Prueba", "A\nB");
    EXPECT_EQ(op.Shown().at(0).details, "A\nB");
}

// A text too long for a box within the screen is cut, with a note; the
// whole text, and the details asked for, are in the details.
TEST(FitToScreen, CutsWhatDoesNotFitAndKeepsTheWholeTextInTheDetails) {
    const std::string lineas = [] {
        std::string t;
        for (int i = 0; i < 200; ++i) t += "línea " + std::to_string(i) + "\r\n";
        return t;
    }();
    struct Caso {
        std::string texto;
        std::string detalles;
        bool cortado;
    };
    const Caso casos[] = {
        {"Error de conexión\rDescripcion: no existe\r", "", false},
        {"corto", "A\nB", false},
        {std::string(1000, 'x') + "\n", "", false},
        {lineas, "", true},
        {"/ruta/" + std::string(130000, 'd') + ".db", "A\nB", true},
        {std::string(5000, '\n'), "", true},
    };
    for (const Caso& caso : casos) {
        SCOPED_TRACE(caso.texto.substr(0, 40));
        const ui::BoxText mostrado = ui::FitToScreen(caso.texto, caso.detalles);
        if (!caso.cortado) {
            EXPECT_EQ(mostrado.prompt, caso.texto);
            EXPECT_EQ(mostrado.details, caso.detalles);
            continue;
        }
        const std::string nota = "(Texto cortado: se muestran ";
        const std::size_t enNota = mostrado.prompt.rfind("…\n\n" + nota);
        ASSERT_NE(enNota, std::string::npos) << mostrado.prompt;
        EXPECT_EQ(caso.texto.compare(0, enNota, mostrado.prompt, 0, enNota), 0);  // the text's own beginning
        EXPECT_LT(mostrado.prompt.size(), 1400u);
        EXPECT_EQ(mostrado.details, caso.detalles.empty() ? caso.texto : caso.texto + "\n\n" + caso.detalles);
    }
}

// A box of a text of 130,000 characters stays within the screen, its buttons
// in reach.
TEST_F(QtOperatorTest, ABoxOfAHugeTextStaysWithinTheScreen) {
    const std::string texto = " Estado de Sql: 08001\rDescripcion: no se pudo abrir el archivo (el nombre es demasiado largo): /" +
                              std::string(130000, 'd') + ".db\r - Desea Intentarlo Nuevamente??? ";
    QRect caja, pantalla;
    std::vector<QRect> botones;
    QString detalles;
    WhenModal([&](QWidget& w) {
        auto& box = dynamic_cast<QMessageBox&>(w);
        caja = box.frameGeometry();
        pantalla = box.screen()->availableGeometry();
        for (QAbstractButton* b : box.buttons()) botones.emplace_back(b->mapToGlobal(QPoint(0, 0)), b->size());
        detalles = box.detailedText();
        box.button(QMessageBox::No)->click();
    });
    EXPECT_EQ(ui::MsgBox(texto, ui::vbYesNo + ui::vbCritical, " Error de Conexion a Base de Datos"), ui::vbNo);
    EXPECT_LE(caja.height(), pantalla.height());
    EXPECT_LE(caja.width(), pantalla.width());
    ASSERT_EQ(botones.size(), 3u);  // Sí, No and the details
    for (const QRect& b : botones) EXPECT_TRUE(pantalla.contains(b)) << b.y() << " " << pantalla.height();
    std::string enDetalles = texto;  // the details read line ends as "\n"
    std::replace(enDetalles.begin(), enDetalles.end(), '\r', '\n');
    EXPECT_TRUE(detalles.toStdString() == enDetalles);
}

TEST_F(QtOperatorTest, InputBoxGivesTheTextOrEmptyWhenCancelled) {
    WhenModal([](QWidget& w) {
        auto& dialog = dynamic_cast<QInputDialog&>(w);
        EXPECT_EQ(dialog.textValue(), "A1");
        dialog.setTextValue("Ñandú");
        dialog.accept();
    });
    EXPECT_EQ(ui::InputBox("Código", "Buscar", "A1"), "Ñandú");
    WhenModal([](QWidget& w) { dynamic_cast<QInputDialog&>(w).reject(); });
    EXPECT_EQ(ui::InputBox("Código", "Buscar", "A1"), "");
}

TEST_F(QtOperatorTest, ShowModalReturnsWhenTheFormIsHiddenOrClosed) {
    QDialog dialog;
    WhenModal([](QWidget& w) { dynamic_cast<QDialog&>(w).accept(); });
    ui::ShowModal(dialog);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);

    QWidget form;
    bool wasModal = false;
    WhenModal([&](QWidget& w) {
        wasModal = &w == &form;
        w.close();
    });
    ui::ShowModal(form);
    EXPECT_TRUE(wasModal);
    EXPECT_FALSE(form.isVisible());

    auto* deleted = new QWidget;
    deleted->setAttribute(Qt::WA_DeleteOnClose);
    WhenModal([](QWidget& w) { w.close(); });
    ui::ShowModal(*deleted);  // returns although the form is gone
}

}  // namespace
