#include "app/services.h"

void ServicesBureau::jouerSon(int) {}
