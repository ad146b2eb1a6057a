#pragma once

namespace stanzary {

// Makes the time picker readable by screen readers: the control reads as
// its name and whole stamp ("Stamp 3: 00:13.4 se") and hands on to the
// selected part; each
// number field reads as a spin box with its name and value ("Minutes",
// "01"). Installed once; every picker calls it.
void installTimePickerAccessibility();

} // namespace stanzary
