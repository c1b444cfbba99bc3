// The maker's logo screen shown once at start-up.
#pragma once

void show_logo();
