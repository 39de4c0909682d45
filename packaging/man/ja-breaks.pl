# Japanese is written without spaces, and groff breaks lines only at spaces: left alone, a
# paragraph of Japanese becomes one line that runs off the screen, and the line ends of the
# source become spaces in the middle of sentences. This marks every place between two Japanese
# characters where a line may end (\:, a break point that prints nothing), except before closing
# punctuation, small kana and the long-vowel mark and after opening brackets, which must not
# start or end a line; and it joins a source line that ends in Japanese to a following one that
# starts in Japanese (\c) instead of putting a space between them. Requests, comments and the
# title line stay as they are. Page on standard input, page on standard output (perl -CSD).
use utf8;
use strict;

my $japanese = qr/[\x{3000}-\x{30FF}\x{4E00}-\x{9FFF}\x{FF01}-\x{FF60}]/;
my $no_line_start = qr/[、。，．）」』】〉》！？ー・ぁぃぅぇぉっゃゅょゎァィゥェォッャュョヮヵヶ～]/;
my $no_line_end = qr/[（「『【〈《]/;

my @lines = <STDIN>;
chomp @lines;
my $is_text = sub { my ($l) = @_; defined $l && $l ne '' && $l !~ /^[.']/ };
for my $i (0 .. $#lines) {
    my $line = $lines[$i];
    next if $line =~ /^\.(?:TH|\\")/;
    $line =~ s/(?<=$japanese)(?<!$no_line_end)(?=$japanese)(?!$no_line_start)/\\:/g;
    my $next = $lines[$i + 1];
    if ($is_text->($line) && $is_text->($next) && $line =~ /($japanese)$/) {
        my $last = $1;
        my ($first) = $next =~ /^(.)/;
        if ($first =~ $japanese) {
            my $breakable = $last !~ $no_line_end && $first !~ $no_line_start;
            $line .= ($breakable ? '\\:' : '') . '\\c';
        }
    }
    $lines[$i] = $line;
}
print "$_\n" for @lines;
