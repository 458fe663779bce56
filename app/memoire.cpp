#include "app/memoire.h"

#include <malloc.h>

void reglerMemoireImages()
{
    mallopt(M_MMAP_THRESHOLD, 1024 * 1024);
}
