#pragma once

// Picture buffers are mapped apart from the heap, so that each one goes back to the
// system when freed: a slideshow left running for hours stays flat instead of
// pinning a heap grown by a few 24-megapixel decodes. Call first thing in main().
void reglerMemoireImages();
