#include "app/markloomform.h"

// TEMPORARY: external browser commands are being built.
void MarkloomForm::ID_IEVIEW_Click() {}
void MarkloomForm::IE_Option_Click() {}
