// The END key: a press requests one hot reload, however long it is held.
#pragma once

// Once per EndScene, whichever window has the focus and whether the overlay
// is shown or not.
void PollEndKey();
