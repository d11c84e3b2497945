#pragma once

#include "app/formload.h"
#include "ui/form1.h"

namespace legge {

// Form1 as the start-up sees it.
class FinestraForm1 : public FinestraAvvio {
public:
    explicit FinestraForm1(Form1 &form) : m_form(form) {}
    std::filesystem::path cartella() const override { return m_form.cartella(); }
    void RendiInPrimoPiano() override { m_form.RendiInPrimoPiano(); }
    Modo modo() const override { return m_form.modo(); }
    void ImpostaModo(Modo modo) override { m_form.ImpostaModo(modo); }
    void ImpostaNumeroGiorno(int numero) override { m_form.NumeroGiorno = numero; }
    void MostraLegge() override { m_form.MostraLegge(); }

private:
    Form1 &m_form;
};

} // namespace legge
