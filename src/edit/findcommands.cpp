#include "app/markloomform.h"

// TEMPORARY: the find dialog is being built.
void MarkloomForm::ID_Sch_Click() {}
