// The disk service running under the service control manager: the control handler and the service
// main routine, which owns the channel objects and the request worker for the service's life.
#pragma once

// Hands "ZRVKVN service" and its main routine to the service control dispatcher and returns when the
// service has stopped. 0, or 1 when the dispatcher refused (the process was not started as a service).
int RunAsService();
