#include "app/markloomform.h"

// TEMPORARY: file commands are being built.
void MarkloomForm::ID_New_Click() {}
void MarkloomForm::ID_Save_Click() {}
void MarkloomForm::ID_SaveAs_Click() {}
void MarkloomForm::ID_Close_Click() { close(); }
