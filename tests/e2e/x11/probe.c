/* A small GTK 3 window for the X11 tests: an entry, a link and areas that
 * show named cursors, at the top left of the screen. Once it is on screen it
 * prints where each part lies, in root coordinates, one per line:
 * "<part> <x> <y> <width> <height>", then "ready". */
#include <gtk/gtk.h>
#include <stdio.h>

static GtkWidget* namedArea(const char* cursorName) {
    GtkWidget* area = gtk_event_box_new();
    gtk_widget_set_size_request(area, 120, 60);
    g_object_set_data(G_OBJECT(area), "cursor-name", (gpointer)cursorName);
    gtk_container_add(GTK_CONTAINER(area), gtk_label_new(cursorName));
    return area;
}

static void report(GtkWidget* widget, const char* part) {
    GtkAllocation allocation;
    gint x = 0, y = 0;
    gtk_widget_get_allocation(widget, &allocation);
    gdk_window_get_origin(gtk_widget_get_window(gtk_widget_get_toplevel(widget)), &x, &y);
    printf("%s %d %d %d %d\n", part, x + allocation.x, y + allocation.y, allocation.width,
           allocation.height);
}

static gboolean announce(gpointer data) {
    GList* parts = data;
    for (GList* item = parts; item != NULL; item = item->next) {
        GtkWidget* widget = item->data;
        const char* name = g_object_get_data(G_OBJECT(widget), "cursor-name");
        if (gtk_widget_get_window(widget) != NULL && GTK_IS_EVENT_BOX(widget)) {
            gdk_window_set_cursor(gtk_widget_get_window(widget),
                                  gdk_cursor_new_from_name(gtk_widget_get_display(widget), name));
        }
        report(widget, name);
    }
    printf("ready\n");
    fflush(stdout);
    return G_SOURCE_REMOVE;
}

static void mapped(GtkWidget* window, GdkEvent* event, gpointer parts) {
    (void)window;
    (void)event;
    /* After the first frame, when every child has its place. */
    g_timeout_add(200, announce, parts);
}

int main(int argc, char** argv) {
    gtk_init(&argc, &argv);
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window), "Tolvane probe");
    gtk_window_move(GTK_WINDOW(window), 0, 0);
    gtk_window_set_default_size(GTK_WINDOW(window), 420, 260);
    GtkWidget* grid = gtk_grid_new();
    gtk_container_add(GTK_CONTAINER(window), grid);

    GtkWidget* entry = gtk_entry_new();
    gtk_entry_set_text(GTK_ENTRY(entry), "Type here");
    g_object_set_data(G_OBJECT(entry), "cursor-name", "entry");
    GtkWidget* link = gtk_link_button_new_with_label("https://example.org/", "A link");
    g_object_set_data(G_OBJECT(link), "cursor-name", "link");
    gtk_grid_attach(GTK_GRID(grid), entry, 0, 0, 3, 1);
    gtk_grid_attach(GTK_GRID(grid), link, 0, 1, 3, 1);

    GList* parts = g_list_append(NULL, entry);
    parts = g_list_append(parts, link);
    const char* names[] = {"default", "crosshair", "watch"};
    for (int index = 0; index < 3; ++index) {
        GtkWidget* area = namedArea(names[index]);
        gtk_grid_attach(GTK_GRID(grid), area, index, 2, 1, 1);
        parts = g_list_append(parts, area);
    }
    g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), NULL);
    g_signal_connect(window, "map-event", G_CALLBACK(mapped), parts);
    gtk_widget_show_all(window);
    gtk_main();
    return 0;
}
