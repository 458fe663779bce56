#pragma once
// What the main window shows as it starts: the welcome notice and the tip of the
// day. Each is read from the settings where its window loads, and written as soon
// as the user ticks or clears its box.
struct ReglagesDemarrage {
    bool avertissement = true;
    bool conseils = true;
};
