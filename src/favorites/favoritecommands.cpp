#include "app/markloomform.h"

// TEMPORARY: the favourites window is being built.
void MarkloomForm::ID_fvView_Click() {}
void MarkloomForm::ID_fvAdd_Click() {}
void MarkloomForm::ID_fvArrange_Click() {}
