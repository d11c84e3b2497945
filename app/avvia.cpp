#include "app/avvia.h"

#include "app/finestraform1.h"
#include "ui/form1.h"
#include "ui/messaggi.h"

#include <exception>

namespace legge {

std::optional<QString> Avvia(Form1 &form1, const Orologio &orologio, SorgenteCasuale &casuale)
{
    FinestraForm1 finestra(form1);
    try {
        Form_Load(finestra, orologio, casuale);
    } catch (const std::exception &errore) {
        return TestoErroreAvvio(errore);
    }
    return std::nullopt;
}

} // namespace legge
