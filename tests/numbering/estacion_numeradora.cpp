// One station of the numbering tests that run in processes of their own: on the database
// file named by its first argument, it asks for numbers of type "PE" (branch 0001, letter X)
// until none is given (100 requests at most), storing a stock movement for each number as the
// stock posting does. It prints one line per number ("N <key>"), one per message box
// ("M <text>") and "V" when a request gave no number. Every box is answered "Retry", so that
// a request that lost its number to the other stations too many times asks again.
#include <exception>
#include <iostream>
#include <string>

#include "foundation/configuracion.h"
#include "foundation/db_dll.h"
#include "numbering/ast.h"
#include "ui/msgbox.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "uso: estacion_numeradora <archivo.db>\n";
        return 2;
    }
    try {
        ui::ScriptedOperator operador;
        for (int i = 0; i < 1000; ++i) operador.AnswerMsgBox(ui::vbRetry);
        foundation::DB_Dll& db = foundation::Db();
        db.gCnn.Open(std::string("Provider=SQLOLEDB;Data Source=") + argv[1]);
        foundation::gUNegocio = "   1";
        for (int pedido = 0; pedido < 100; ++pedido) {
            std::string sucursal = "0001";
            std::string letra = "X";
            const std::string clave = numbering::AsignarNumeroComprobante("PE", sucursal, letra);
            if (!clave.empty()) {
                db.gCnn.Execute("INSERT INTO V_MV_STOCK (TC, IDCOMPROBANTE) VALUES ('PE', '" + clave + "')");
            }
            for (const ui::RecordedBox& caja : operador.Shown()) std::cout << "M " << caja.prompt << "\n";
            operador.ClearShown();
            if (clave.empty()) {
                std::cout << "V\n";
                break;
            }
            std::cout << "N " << clave << "\n";
        }
        db.gCnn.Close();
        return 0;
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
}
