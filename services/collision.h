// Pixel-exact collision of image frames placed as they would be drawn, over 32 layers of quads.
#pragma once

struct image;

int images_collide(image* image1, int x1, int y1, int frame1, image* image2, int x2, int y2, int frame2);
int images_collide_transformed(image* image1, int x1, int y1, int frame1, float rot1, float sx1, float sy1,
                               image* image2, int x2, int y2, int frame2, float rot2, float sx2, float sy2);
void reset_collision_layers(int mask);
// Pair tests made so far (images_collide and images_collide_transformed), for the frame benchmark.
extern long collision_tests;
// Places a frame as images_collide does: 1 if it hits a quad in any layer of test_mask, then it is
// written into every layer of write_mask (tagged with id).
int collide_image(image* img, int x, int y, int frame, unsigned test_mask, unsigned write_mask, void* id);
