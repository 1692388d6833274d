#include "panels/snapshot.h"

void save_snapshot(void)
{
}

void print_view(void)
{
}
