#include "ExportDialog.h"

#include <libgimp/gimp.h>
#include <libgimp/gimpui.h>

bool AskLayout(bool& streamLayout) {
  gint layout = streamLayout ? 1 : 0;
  GtkWidget* dialog = gimp_export_dialog_new("BLZ", "file-vantrel", "file-blz-save");
  GtkWidget* frame = gimp_int_radio_group_new(
      TRUE, "Layout", G_CALLBACK(gimp_radio_button_update), &layout, layout,
      "Packed bitmap (starts like a BMP file)", 0, nullptr, "BLZ stream", 1, nullptr, nullptr);
  gtk_container_set_border_width(GTK_CONTAINER(frame), 12);
  gtk_box_pack_start(GTK_BOX(gimp_export_dialog_get_content_area(dialog)), frame, FALSE, TRUE, 0);
  gtk_widget_show(frame);
  gtk_widget_show(dialog);
  const bool accepted = gimp_dialog_run(GIMP_DIALOG(dialog)) == GTK_RESPONSE_OK;
  gtk_widget_destroy(dialog);
  if (accepted) streamLayout = layout == 1;
  return accepted;
}
