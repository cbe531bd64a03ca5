/* Test-file maker for make_photos.sh: writes a HEIF whose picture has a
 * thumbnail stored ahead of it, the thumbnail being item 1 and the picture
 * (the primary item) item 2.
 *   thumbnail_first_heif MAIN.ppm THUMB.ppm OUT.heic
 * Both inputs are binary PPMs (P6, maxval 255). */
#include <libheif/heif.h>
#include <stdio.h>
#include <stdlib.h>

static int fail(const char* what, struct heif_error e) {
  fprintf(stderr, "thumbnail_first_heif: %s: %s\n", what, e.message ? e.message : "?");
  return 1;
}

static struct heif_image* read_ppm(const char* path) {
  FILE* in = fopen(path, "rb");
  int width = 0, height = 0, maxval = 0;
  if (!in || fscanf(in, "P6 %d %d %d", &width, &height, &maxval) != 3 || maxval != 255 || fgetc(in) == EOF) {
    fprintf(stderr, "thumbnail_first_heif: %s is not a P6 PPM of 8-bit samples\n", path);
    return NULL;
  }
  struct heif_image* image = NULL;
  if (heif_image_create(width, height, heif_colorspace_RGB, heif_chroma_interleaved_RGB, &image).code ||
      heif_image_add_plane(image, heif_channel_interleaved, width, height, 8).code)
    return NULL;
  int stride = 0;
  uint8_t* plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
  for (int y = 0; y < height; ++y)
    if (fread(plane + (size_t)y * stride, 3, (size_t)width, in) != (size_t)width) {
      fprintf(stderr, "thumbnail_first_heif: %s is cut off\n", path);
      return NULL;
    }
  fclose(in);
  return image;
}

int main(int argc, char** argv) {
  if (argc != 4) {
    fprintf(stderr, "usage: thumbnail_first_heif MAIN.ppm THUMB.ppm OUT.heic\n");
    return 2;
  }
  struct heif_image* picture = read_ppm(argv[1]);
  struct heif_image* thumb = read_ppm(argv[2]);
  if (!picture || !thumb) return 1;

  struct heif_context* context = heif_context_alloc();
  struct heif_encoder* encoder = NULL;
  struct heif_error e;
  if ((e = heif_context_get_encoder_for_format(context, heif_compression_HEVC, &encoder)).code) return fail("encoder", e);
  heif_encoder_set_lossy_quality(encoder, 90);
  struct heif_image_handle* thumb_handle = NULL;
  struct heif_image_handle* picture_handle = NULL;
  if ((e = heif_context_encode_image(context, thumb, encoder, NULL, &thumb_handle)).code) return fail("thumbnail", e);
  if ((e = heif_context_encode_image(context, picture, encoder, NULL, &picture_handle)).code) return fail("picture", e);
  if ((e = heif_context_set_primary_image(context, picture_handle)).code) return fail("primary", e);
  /* libheif 1.15 writes the 'thmb' reference from the first handle given
   * here to the second, the other way round from what its header says; the
   * thumbnail goes first so that the file says what we mean (heif-info
   * shows the picture as the image and the small one as its thumbnail). */
  if ((e = heif_context_assign_thumbnail(context, thumb_handle, picture_handle)).code) return fail("assign", e);
  if ((e = heif_context_write_to_file(context, argv[3])).code) return fail("write", e);
  heif_image_handle_release(thumb_handle);
  heif_image_handle_release(picture_handle);
  heif_encoder_release(encoder);
  heif_image_release(picture);
  heif_image_release(thumb);
  heif_context_free(context);
  return 0;
}
