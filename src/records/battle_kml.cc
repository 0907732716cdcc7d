#include "records/battle_kml.h"

namespace {

// Text as XML character data: markup characters as entities, control characters left out.
std::string XmlText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        if ((byte >= 0x20 && byte != 0x7F) || c == '\n' || c == '\t') out += c;
    }
  }
  return out;
}

// HTML inside a CDATA section. Its text comes through XmlText, which writes every ">" as "&gt;", so
// it never holds the "]]>" that would end the section early.
std::string Cdata(std::string_view html) { return "<![CDATA[" + std::string(html) + "]]>"; }

std::string Paragraph(std::string_view text) { return "<p>" + XmlText(text) + "</p>"; }

std::string BattleHtml(const NpsUnit& unit, const Battle& battle) {
  std::string html =
      Paragraph(BattleDates(battle) + ", " +
                (battle.counties.empty() ? std::string(battle.state) : std::string(battle.counties)));
  if (!battle.otherNames.empty()) html += Paragraph("Also called: " + std::string(battle.otherNames));
  if (!battle.campaign.empty()) html += Paragraph(battle.campaign);
  if (!battle.result.empty()) html += Paragraph(battle.result);
  if (!battle.linkNote.empty()) html += Paragraph("The source notes: " + std::string(battle.linkNote));
  std::string_view description = battle.description;
  while (!description.empty()) {
    const std::size_t end = description.find("\n\n");
    html += Paragraph(description.substr(0, end));
    description = end == std::string_view::npos ? std::string_view() : description.substr(end + 2);
  }
  html += Paragraph("A battle of the " + std::string(unit.name) +
                    " as the park service lists it; the list does not say which men were present. " +
                    BattlesSourceLine());
  return html;
}

void AppendPlacemark(const NpsUnit& unit, const Battle& battle, std::string* out) {
  *out += "<Placemark>\n";
  *out += "<name>" + XmlText(battle.name) + "</name>\n";
  *out += "<description>" + Cdata(BattleHtml(unit, battle)) + "</description>\n";
  *out += "<TimeSpan><begin>" + IsoDay(battle.start) + "</begin><end>" + IsoDay(battle.end) +
          "</end></TimeSpan>\n";
  // KML puts the longitude first.
  *out += "<Point><coordinates>" + XmlText(battle.longitude) + "," + XmlText(battle.latitude) +
          "</coordinates></Point>\n";
  *out += "</Placemark>\n";
}

}  // namespace

std::string UnitReportKml(const UnitReport& report) {
  std::string out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<kml "
      "xmlns=\"http://www.opengis.net/kml/2.2\">\n<Document>\n";
  out += "<name>" + XmlText(UnitReportSummary(report)) + "</name>\n";
  out += "<description>" + XmlText(BattlesSourceLine()) + "</description>\n";
  for (const UnitReportEntry& entry : report.units) {
    out += "<Folder>\n<name>" + XmlText(UnitTitle(entry.unit)) + "</name>\n";
    std::string notes;
    for (const std::string& note : UnitNotes(entry)) notes += Paragraph(note);
    if (!notes.empty()) out += "<description>" + Cdata(notes) + "</description>\n";
    for (const Battle& battle : entry.battles) AppendPlacemark(entry.unit, battle, &out);
    out += "</Folder>\n";
  }
  out += "</Document>\n</kml>\n";
  return out;
}
