// SPDX-License-Identifier: GPL-3.0-or-later
#include "sistema/flussi.h"

#include "sistema/nativo.h"

namespace legge {

FileAperto &IngressoStandard()
{
    static FileAperto file =
        AccessoNativo::prestato(nativo::FlussoStandard(0), NomeIngressoStandard);
    return file;
}

FileAperto &UscitaStandard()
{
    static FileAperto file = AccessoNativo::prestato(nativo::FlussoStandard(1), NomeUscitaStandard);
    return file;
}

FileAperto &ErroreStandard()
{
    static FileAperto file = AccessoNativo::prestato(nativo::FlussoStandard(2), NomeErroreStandard);
    return file;
}

} // namespace legge
