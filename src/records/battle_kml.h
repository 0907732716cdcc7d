// A unit report's battles as a KML 2.2 file, for a map program: one folder per unit, one
// placemark per battle with its name, its days (a TimeSpan), its description and its point.
//
// The descriptions are small HTML documents in CDATA sections, as map programs show them: the
// days, other names, counties, campaign and result, the source's paragraph, and a last line that
// says the battles are the unit's as the park service lists them, and where the list comes from.
// Text is UTF-8; control characters, which XML does not allow, are left out.
#pragma once

#include <string>

#include "records/unit_report.h"

// The document's name is the report's summary; a unit without battles gets a folder that says
// none are listed. Without battles in the report (withBattles false) every folder is empty.
std::string UnitReportKml(const UnitReport& report);
