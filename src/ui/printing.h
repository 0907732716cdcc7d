// Whether this build can print: Qt's print support is there and has a printer. The build links
// it where it exists (DRAVENHOLT_PRINT_SUPPORT); a Qt without it builds the viewer without the
// print items.
#pragma once

#ifdef DRAVENHOLT_PRINT_SUPPORT
#include <QtPrintSupport/qtprintsupportglobal.h>
#endif

#ifdef QT_FEATURE_printer
#if QT_CONFIG(printer)
#define DRAVENHOLT_CAN_PRINT 1
#endif
#endif
#ifndef DRAVENHOLT_CAN_PRINT
#define DRAVENHOLT_CAN_PRINT 0
#endif
