/* Test-file maker for make_photos.sh: writes a HEIF whose container rotates
 * and/or mirrors the stored picture.
 *   oriented_heif IN.ppm OUT.heic ORIENTATION
 * IN is a binary PPM (P6, maxval 255); ORIENTATION 1..8 counts as EXIF's
 * Orientation does. libheif turns it into irot/imir boxes. */
#include <libheif/heif.h>
#include <stdio.h>
#include <stdlib.h>

static int fail(const char* what, struct heif_error e) {
  fprintf(stderr, "oriented_heif: %s: %s\n", what, e.message ? e.message : "?");
  return 1;
}

int main(int argc, char** argv) {
  if (argc != 4) {
    fprintf(stderr, "usage: oriented_heif IN.ppm OUT.heic ORIENTATION\n");
    return 2;
  }
  FILE* in = fopen(argv[1], "rb");
  int width = 0, height = 0, maxval = 0;
  if (!in || fscanf(in, "P6 %d %d %d", &width, &height, &maxval) != 3 || maxval != 255 || fgetc(in) == EOF) {
    fprintf(stderr, "oriented_heif: %s is not a P6 PPM of 8-bit samples\n", argv[1]);
    return 1;
  }
  struct heif_image* image = NULL;
  struct heif_error e = heif_image_create(width, height, heif_colorspace_RGB, heif_chroma_interleaved_RGB, &image);
  if (e.code) return fail("image", e);
  if ((e = heif_image_add_plane(image, heif_channel_interleaved, width, height, 8)).code) return fail("plane", e);
  int stride = 0;
  uint8_t* plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
  for (int y = 0; y < height; ++y)
    if (fread(plane + (size_t)y * stride, 3, (size_t)width, in) != (size_t)width) {
      fprintf(stderr, "oriented_heif: %s is cut off\n", argv[1]);
      return 1;
    }
  fclose(in);

  struct heif_context* context = heif_context_alloc();
  struct heif_encoder* encoder = NULL;
  if ((e = heif_context_get_encoder_for_format(context, heif_compression_HEVC, &encoder)).code) return fail("encoder", e);
  heif_encoder_set_lossy_quality(encoder, 90);
  struct heif_encoding_options* options = heif_encoding_options_alloc();
  options->image_orientation = (enum heif_orientation)atoi(argv[3]);
  if ((e = heif_context_encode_image(context, image, encoder, options, NULL)).code) return fail("encode", e);
  if ((e = heif_context_write_to_file(context, argv[2])).code) return fail("write", e);
  heif_encoding_options_free(options);
  heif_encoder_release(encoder);
  heif_image_release(image);
  heif_context_free(context);
  return 0;
}
