#pragma once
class QObject;

// Picture buffers come from the heap as everything else does: a buffer freed is
// reused by the next picture of its size, with no fresh pages to fault in.
// Call first thing in main().
void reglerMemoireImages();

// Gives back to the system what the heap holds free, every few seconds and only
// when that is a lot: a slideshow left running for hours stays flat, an idle
// viewer holds no more than it uses, and nothing is given back buffer by buffer.
// Call once the application object exists; the check lives as long as `parent`.
void restituerMemoireAuRepos(QObject* parent);
