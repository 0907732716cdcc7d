// What assistive technology sees of the search view. The fields and buttons are widgets and
// describe themselves; the count line and the result table are painted over the backdrop, so the
// view's interface adds them as children of its own: the count line as static text, and the
// table as rows of three columns (surname, given name, information) with the selected row.
//
// The interfaces read the view's state whenever they are asked. They learn when to tell a
// listening screen reader to ask again by listening to the view's screen (ui/search_screen.h),
// beside the view itself: another result or page (a search, Clear, a page turn: the old rows and
// their selection are gone), another selected row.
#pragma once

class CViewView;
class QAccessibleEvent;

// Installs the interface factory for the search view (once) and has `view`'s screen tell its
// changes to assistive technology for as long as the view lives.
void ListenForAccessibility(CViewView* view);

// Where the notifications go. By default QAccessible::updateAccessibility, which hands them to
// the platform's bridge; while no assistive technology listens they are not even made. Tests
// record them here (the offscreen platform has no bridge to listen). Returns the sink before.
using AccessibleEventSink = void (*)(QAccessibleEvent* event);
AccessibleEventSink SetAccessibleEventSink(AccessibleEventSink sink);
