#pragma once

#include <QString>

// The half of the signed-in context that the point-of-sale windows read. The main window owns
// it; the sign-in fills it once.
struct ContextoPuntoVenta {
    QString punto_venta;      // PTVT_ID as text; before sign-in, the first command-line argument
    QString caja;             // CAJA_ID as text
    QString bodega;           // BODE_COD
    int vendedor = 0;         // VEND_COD
    QString nombre_vendedor;
    QString prefijo;          // PREF_PRE of the invoices
    QString nit_punto_venta;  // default customer
    QString puerto_cajon;     // PTVT_MONPTO: "COMn" or "LPTn"
    bool es_administrador = false;
    bool imprimir_al_grabar = false;
    bool numeracion_formas_pago = false;
    bool recibido_menor = false;
};
