#pragma once
// Whether a network connection is up, for the check that runs only when one is. The desktop's
// network information (NetworkManager and the like, through Qt) is asked; where no backend
// can tell, the answer is yes, so that a check is never cancelled for want of knowing.
//
// Threads: the user-interface thread.

bool NetworkConnectionUp();
