#!/usr/bin/env python3
"""Reads a KML file with an XML parser (Python's xml.etree, on expat) as a map program would and
checks what a map needs: the KML 2.2 namespace, a Document, and per placemark a name, a
description, a TimeSpan of ISO days in order and one point of longitude,latitude in range.

Prints the document's name, then per folder its name and per placemark "name<TAB>begin<TAB>end
<TAB>longitude,latitude"; exits 1 with the first fault found."""
import datetime
import sys
import xml.etree.ElementTree as ET

NS = "{http://www.opengis.net/kml/2.2}"


def fail(message):
    print(f"check_kml.py: {message}")
    sys.exit(1)


def text(element, path, where):
    found = element.find(path)
    if found is None or found.text is None or not found.text.strip():
        fail(f"{where}: no {path.replace(NS, '')}")
    return found.text


def main():
    try:
        root = ET.parse(sys.argv[1]).getroot()
    except ET.ParseError as error:
        fail(f"not well-formed XML: {error}")
    if root.tag != NS + "kml":
        fail(f"the root is {root.tag}, not kml in the KML 2.2 namespace")
    document = root.find(NS + "Document")
    if document is None:
        fail("no Document")
    print(text(document, NS + "name", "Document"))
    for folder in document.findall(NS + "Folder"):
        print("folder", text(folder, NS + "name", "Folder"))
        for placemark in folder.findall(NS + "Placemark"):
            name = text(placemark, NS + "name", "Placemark")
            text(placemark, NS + "description", name)
            begin = datetime.date.fromisoformat(text(placemark, f"{NS}TimeSpan/{NS}begin", name))
            end = datetime.date.fromisoformat(text(placemark, f"{NS}TimeSpan/{NS}end", name))
            if end < begin:
                fail(f"{name}: ends before it begins")
            coordinates = text(placemark, f"{NS}Point/{NS}coordinates", name).strip()
            longitude, latitude = (float(v) for v in coordinates.split(","))
            if not (-180 <= longitude <= 180 and -90 <= latitude <= 90):
                fail(f"{name}: {coordinates} is not a point")
            print(f"{name}\t{begin}\t{end}\t{coordinates}")


if __name__ == "__main__":
    main()
