// What assistive technology sees of the search view. The fields and buttons are widgets and
// describe themselves; the count line and the result table are painted over the backdrop, so the
// view's interface adds them as children of its own: the count line as static text, and the
// table as rows of three columns (surname, given name, information) with the selected row.
//
// The interfaces read the view's state whenever they are asked; the notifications below tell a
// listening screen reader when to ask again.
#pragma once

class CViewView;
class QAccessibleEvent;

// Installs the interface factory for the search view. Safe to call more than once.
void InstallViewAccessibility();

// The count line and the rows show another result: a search, Clear, or another page. The
// selection, if there was one, went with the old rows.
void NotifyResultsChanged(CViewView* view);
// The selected row went from `oldRow` to `newRow` (-1 for none).
void NotifySelectionChanged(CViewView* view, int oldRow, int newRow);

// Where the notifications go. By default QAccessible::updateAccessibility, which hands them to
// the platform's bridge; while no assistive technology listens they are not even made. Tests
// record them here (the offscreen platform has no bridge to listen). Returns the sink before.
using AccessibleEventSink = void (*)(QAccessibleEvent* event);
AccessibleEventSink SetAccessibleEventSink(AccessibleEventSink sink);
