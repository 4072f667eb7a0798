// The stock and VAT-book sign of a document type.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "documents/cls_cmn_cptes.h"
#include "stock_fixture.h"

namespace numbering {
namespace {

constexpr const char* kNoExiste = "El Tipo de Comprobante informado no existe en la tabla de comprobantes";

class SignosTest : public testing::StockDbTest {
protected:
    void Tipo(const std::string& codigo, const std::string& es, const std::string& signo) {
        Run("INSERT INTO V_TA_CPTE (CODIGO, ES, Signo) VALUES ('" + codigo + "', " + es + ", " + signo + ")");
    }
};

struct CasoSigno {
    const char* nombre;
    std::string codigo;  // stored CODIGO
    std::string es;      // SQL value of ES
    std::string signo;   // SQL value of Signo
    std::string tc;      // as passed
    bool libroIVA;
    int esperado;
};

TEST_F(SignosTest, RowDecidesFirstThenTheCodeLists) {
    const std::vector<CasoSigno> casos = {
        {"ES E", "FC", "'E'", "NULL", "FC", false, 1},
        {"ES lower case e", "XX", "'e'", "NULL", "XX", false, 1},
        {"ES S wins over the +1 list", "IR", "'S'", "NULL", "IR", false, -1},
        {"ES Null, RM", "RM", "NULL", "NULL", "RM", false, -1},
        {"ES Null, NP outside both lists", "NP", "NULL", "NULL", "NP", false, 0},
        {"ES other than E or S", "AJP", "'X'", "NULL", "AJP", false, 1},
        // Codes compare exactly in the database; the lists ignore case.
        {"lower-case code", "fc", "NULL", "NULL", "fc", false, -1},
        {"NC adds to stock", "NC", "NULL", "NULL", "NC", false, 1},
        {"NCC subtracts from stock", "NCC", "NULL", "NULL", "NCC", false, -1},
        // The lists compare the code as passed: trailing blanks match no entry.
        {"padded code", "RM", "NULL", "NULL", "RM  ", false, 0},
        {"VAT: Signo wins over the list", "FC", "NULL", "-1", "FC", true, -1},
        {"VAT: Signo 1 on a credit note", "NC", "NULL", "1", "NC", true, 1},
        {"VAT: Signo 0", "ZZ", "NULL", "0", "ZZ", true, 0},
        {"VAT: Null, OC", "OC", "NULL", "NULL", "OC", true, 1},
        {"VAT: Null, NC", "NC", "NULL", "NULL", "NC", true, -1},
        {"VAT: Null, NCC", "NCC", "NULL", "NULL", "NCC", true, -1},
        {"VAT: Null, ncp lower case", "ncp", "NULL", "NULL", "ncp", true, -1},
        {"VAT: Null, NCCP", "NCCP", "NULL", "NULL", "NCCP", true, -1},
        {"VAT: Null, FC", "FC", "NULL", "NULL", "FC", true, 1},
        {"VAT: padded credit note matches no list entry", "NC", "NULL", "NULL", "NC  ", true, 1},
        {"VAT ignores ES", "NP", "'S'", "NULL", "NP", true, 1},
    };
    documents::ClsCmnCptes cmn;
    for (const CasoSigno& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        Run("DELETE FROM V_TA_CPTE");
        Tipo(caso.codigo, caso.es, caso.signo);
        EXPECT_EQ(cmn.ObtieneSignoComprobante(caso.tc, caso.libroIVA), caso.esperado);
    }
    EXPECT_TRUE(operator_.Shown().empty());
}

TEST_F(SignosTest, TheTypeIsLookedUpTrimmedAndFitted) {
    Tipo("RM  ", "'S'", "NULL");
    documents::ClsCmnCptes cmn;
    EXPECT_EQ(cmn.ObtieneSignoComprobante(" RM "), -1);
    EXPECT_EQ(TakeStatements().back(), "SELECT * FROM V_TA_CPTE WHERE CODIGO='RM  '");
}

TEST_F(SignosTest, AMissingTypeIsReportedOncePerCallAndGivesZero) {
    Tipo("FC", "'S'", "-1");
    documents::ClsCmnCptes cmn;
    for (bool libroIVA : {false, true}) {
        operator_.ClearShown();
        operator_.AnswerMsgBox(ui::vbOK);
        // An apostrophe in the code reaches the database as part of the literal.
        EXPECT_EQ(cmn.ObtieneSignoComprobante("F'C", libroIVA), 0);
        ASSERT_EQ(operator_.Shown().size(), 1u);
        EXPECT_EQ(operator_.Shown()[0].prompt, kNoExiste);
        EXPECT_EQ(operator_.Shown()[0].title, "Aviso al operador!!!");
        EXPECT_EQ(operator_.Shown()[0].style, ui::vbCritical | ui::vbOKOnly);
    }
}

TEST_F(SignosTest, ASignThatIsNotANumberGoesToTheErrorRoutine) {
    Tipo("FC", "NULL", "'abc'");
    documents::ClsCmnCptes cmn;
    operator_.AnswerMsgBox(ui::vbAbort);
    EXPECT_EQ(cmn.ObtieneSignoComprobante("FC", true), 0);
    ASSERT_EQ(operator_.Shown().size(), 1u);
    EXPECT_NE(operator_.Shown()[0].title.find("ObtieneSignoComprobante%"), std::string::npos);
}

}  // namespace
}  // namespace numbering
