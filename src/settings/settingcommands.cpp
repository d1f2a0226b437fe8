#include "app/markloomform.h"

// TEMPORARY: the settings dialog is being built.
void MarkloomForm::ID_SETBR_Click() {}
