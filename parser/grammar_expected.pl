#!/usr/bin/perl
# Writes the expected-symbol texts of the grammar's states (what a syntax error in that
# state prints after "Expected:") as C++, from bison's report (--report=state,lookaheads).
#
# A state's text lists, joined by " or ", the symbol after the dot of each kernel item; an
# item that continues a left-recursive rule right after its first symbol (A: A . op ...)
# shows A instead, so an operator after an expression reads "Expression". A final 0 marks that end of statement
# is acceptable too. A state with nothing to list has no text.
#
# Usage: grammar_expected.pl report expected-sr expected-rr output.cpp
# Fails when the grammar's conflict counts differ from the expected ones: every conflict
# is resolved on purpose (shift for the dangling forms, the earlier rule for "a .b").
use strict;
use warnings;

my ($report, $wantSr, $wantRr, $output) = @ARGV;
open(my $in, '<', $report) or die "grammar_expected.pl: cannot read $report: $!\n";

# How symbols are shown; others show their own names (quotes of characters dropped,
# the K of keyword tokens dropped except for the operator names).
my %display = (
  'parsable_entity' => 'statement or declaration',
  'parsable_entity1' => 'statement or declaration',
  'stmt_list' => 'statement(s)',
  'stmt' => 'statement',
  'simple_stmt' => 'statement',
  'var_decl_list' => 'variable name(s)',
  'var_decl_group' => 'variable name(s)',
  'case_comparison' => 'KEq or > or < or KLEq or KGEq or KNEq',
  'simple_stmt_list' => 'statement(s)',
  'variable_ref' => 'Variable',
  'variable_names' => 'variable name(s)',
  'variable_name' => 'variable name',
  'arg_decl_list' => 'argument declaration list',
  'arg_groups' => 'argument declaration list',
  'arg_group' => 'argument variable list',
  'arg_var_list' => 'argument variable list',
  'arg_var' => 'argument variable',
  'optional_comment' => 'comment',
  'argument_list' => 'Arguments',
  'subscript_comps' => 'subscript_list',
  'T_IDENT' => 'a variable name',
  'T_STRING' => 'a string',
  'T_INTEGER' => 'a number', 'T_HEXINT' => 'a number', 'T_OCTINT' => 'a number',
  'T_DOUBLE' => 'a number',
  'T_COMMENT' => 'comment',
  'KAndAnd' => '&&', 'KOrOr' => '||',
  'type_keyword' => 'Integer or Long or Single or Double or Currency or String or Object',
  'optional_ds' => '( or $',
  'print_items' => 'print_list',
);
my %keepK = map { $_ => 1 } qw(KEq KNEq KLEq KGEq KDeepAssign);

sub show {
  my ($sym) = @_;
  return $display{$sym} if exists $display{$sym};
  return $1 if $sym =~ /^'(.+)'$/ && $1 ne "\\\\";
  return "\\" if $sym eq "'\\\\'";
  return $sym if $keepK{$sym};
  return $1 if $sym =~ /^K([A-Z].*)$/;
  return $sym;
}

my (@texts, $state, @items, $endOk, $lhs);
my ($sr, $rr) = (0, 0);

sub flush {
  return unless defined $state;
  my (@names, %seen);
  for my $it (@items) {
    my ($left, $rhs) = @$it;
    my @syms = split ' ', $rhs;
    my ($dot) = grep { $syms[$_] eq "\x{2022}" || $syms[$_] eq "\xe2\x80\xa2" } 0 .. $#syms;
    next unless defined $dot && $dot < $#syms;
    my $next = $syms[$dot + 1];
    next if $next eq 'error' || $next eq '$end';
    my $name = ($dot == 1 && $syms[0] eq $left) ? show($left) : show($next);
    for my $atom (split / or /, $name) {
      push @names, $atom unless $seen{$atom}++;
    }
  }
  my $text = join(' or ', @names);
  $text .= '0' if $endOk && $text ne '';
  $texts[$state] = $text eq '' ? undef : $text;
}

while (my $line = <$in>) {
  chomp $line;
  if ($line =~ /^State (\d+) conflicts: (.*)$/) {
    my $what = $2;
    $sr += $1 if $what =~ /(\d+) shift\/reduce/;
    $rr += $1 if $what =~ /(\d+) reduce\/reduce/;
    next;
  }
  if ($line =~ /^State (\d+)$/) {
    flush();
    ($state, @items, $endOk) = ($1);
    @items = ();
    $endOk = 0;
    next;
  }
  next unless defined $state;
  # A kernel item: "  12 lhs: a b . c  [lookaheads]" or a continuation "     | a . b".
  if ($line =~ /^\s+\d+\s+(\S+):\s+(.*?)\s*(\[(.*)\])?$/) {
    $lhs = $1;
    my ($rhs, $la) = ($2, $4);
    push @items, [$lhs, $rhs];
    $endOk = 1 if defined $la && $la =~ /(^|[\s,])\$end(,|$)/;
  } elsif ($line =~ /^\s+\d+\s+\|\s+(.*?)\s*(\[(.*)\])?$/) {
    my ($rhs, $la) = ($1, $3);
    push @items, [$lhs, $rhs];
    $endOk = 1 if defined $la && $la =~ /(^|[\s,])\$end(,|$)/;
  } elsif ($line =~ /^\s+\$end\s+(shift|reduce|accept)/) {
    $endOk = 1;
  }
}
flush();
close $in;

die "grammar_expected.pl: $sr shift/reduce conflicts, expected $wantSr\n" if $sr != $wantSr;
die "grammar_expected.pl: $rr reduce/reduce conflicts, expected $wantRr\n" if $rr != $wantRr;

open(STDOUT, '>', $output) or die "grammar_expected.pl: cannot write $output: $!\n";
my $n = scalar @texts;
print "// Generated from grammar.y by grammar_expected.pl: do not edit.\n";
print "#include \"grammarexpected.h\"\n\n";
print "static const char* const kTexts[$n] = {\n";
for my $i (0 .. $n - 1) {
  my $t = $texts[$i];
  if (defined $t) {
    $t =~ s/\\/\\\\/g;
    $t =~ s/"/\\"/g;
    print "  \"$t\",  // $i\n";
  } else {
    print "  nullptr,  // $i\n";
  }
}
print "};\n\n";
print "int GrammarStateCount() { return $n; }\n\n";
print "const char* GrammarExpectedText(int state) {\n";
print "  return state >= 0 && state < $n ? kTexts[state] : nullptr;\n";
print "}\n";
