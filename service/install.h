// "/install" and "/uninstall": registering the disk service with the service control manager and
// removing it again. Messages go to the console.
#pragma once

// Creates "ZRVKVN service" (automatic start, this executable) and starts it. 0 on success, else 1.
int InstallService();

// Stops and deletes "ZRVKVN service". 0 on success, else 1.
int UninstallService();
