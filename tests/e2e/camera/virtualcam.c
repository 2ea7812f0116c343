/* A webcam for the end-to-end tests: a GStreamer device provider offering
 * one "Video/Source" device whose element is a videotestsrc. Loaded through
 * GST_PLUGIN_PATH in the tests' environment only; the program finds it
 * through GStreamer's device monitor like any USB camera. */

#include <gst/gst.h>

/* ---- the device ---- */

typedef struct {
    GstDevice parent;
} E2eCamDevice;
typedef struct {
    GstDeviceClass parent_class;
} E2eCamDeviceClass;

G_DEFINE_TYPE(E2eCamDevice, e2e_cam_device, GST_TYPE_DEVICE)

static GstElement* e2e_cam_device_create_element(GstDevice* device, const gchar* name) {
    (void)device;
    GstElement* bin = gst_bin_new(name);
    GstElement* src = gst_element_factory_make("videotestsrc", NULL);
    GstElement* filter = gst_element_factory_make("capsfilter", NULL);
    if (src == NULL || filter == NULL) {
        gst_object_unref(bin);
        return NULL;
    }
    /* A moving pattern at a camera's pace, so every frame differs. */
    g_object_set(src, "is-live", TRUE, "pattern", 0, NULL);
    GstCaps* caps =
        gst_caps_from_string("video/x-raw,format=YUY2,width=640,height=480,framerate=15/1");
    g_object_set(filter, "caps", caps, NULL);
    gst_caps_unref(caps);
    gst_bin_add_many(GST_BIN(bin), src, filter, NULL);
    gst_element_link(src, filter);
    GstPad* pad = gst_element_get_static_pad(filter, "src");
    gst_element_add_pad(bin, gst_ghost_pad_new("src", pad));
    gst_object_unref(pad);
    return bin;
}

static void e2e_cam_device_class_init(E2eCamDeviceClass* klass) {
    GST_DEVICE_CLASS(klass)->create_element = e2e_cam_device_create_element;
}

static void e2e_cam_device_init(E2eCamDevice* self) {
    (void)self;
}

/* ---- the provider ---- */

typedef struct {
    GstDeviceProvider parent;
} E2eCamProvider;
typedef struct {
    GstDeviceProviderClass parent_class;
} E2eCamProviderClass;

G_DEFINE_TYPE(E2eCamProvider, e2e_cam_provider, GST_TYPE_DEVICE_PROVIDER)

static GstDevice* make_device(void) {
    GstCaps* caps =
        gst_caps_from_string("video/x-raw,format=YUY2,width=640,height=480,framerate=15/1");
    /* Qt takes a camera's id from a v4l2-style path; no such node exists, and
     * none is opened: the element comes from create_element above. */
    GstStructure* props =
        gst_structure_new("e2e-cam", "device.api", G_TYPE_STRING, "v4l2", "device.path",
                          G_TYPE_STRING, "/dev/e2e-virtual-camera", NULL);
    GstDevice* device =
        g_object_new(e2e_cam_device_get_type(), "display-name", "E2E Virtual Camera",
                     "device-class", "Video/Source", "caps", caps, "properties", props, NULL);
    gst_caps_unref(caps);
    gst_structure_free(props);
    return device;
}

static GList* e2e_cam_provider_probe(GstDeviceProvider* provider) {
    (void)provider;
    return g_list_append(NULL, make_device());
}

static gboolean e2e_cam_provider_start(GstDeviceProvider* provider) {
    gst_device_provider_device_add(provider, make_device());
    return TRUE;
}

static void e2e_cam_provider_stop(GstDeviceProvider* provider) {
    (void)provider;
}

static void e2e_cam_provider_class_init(E2eCamProviderClass* klass) {
    GstDeviceProviderClass* dp = GST_DEVICE_PROVIDER_CLASS(klass);
    dp->probe = e2e_cam_provider_probe;
    dp->start = e2e_cam_provider_start;
    dp->stop = e2e_cam_provider_stop;
    gst_device_provider_class_set_static_metadata(dp, "E2E virtual camera provider", "Source/Video",
                                                  "One test-pattern camera for end-to-end tests",
                                                  "member station tests");
}

static void e2e_cam_provider_init(E2eCamProvider* self) {
    (void)self;
}

static gboolean plugin_init(GstPlugin* plugin) {
    return gst_device_provider_register(plugin, "e2evirtualcam", GST_RANK_PRIMARY + 10,
                                        e2e_cam_provider_get_type());
}

#define PACKAGE "member-station-e2e"
GST_PLUGIN_DEFINE(GST_VERSION_MAJOR, GST_VERSION_MINOR, e2evirtualcam,
                  "Virtual camera for end-to-end tests", plugin_init, "1.0", "LGPL", PACKAGE,
                  "https://localhost/")
