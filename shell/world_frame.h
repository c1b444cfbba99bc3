// One frame of the battlefield, walked back to front: the walking order is the drawing order.
#pragma once

// Clears the back buffer and updates and draws the battlefield for one frame.
void world_frame();
